#include "jvlink/system_jv_link.h"

#include "base/cp932.h"

namespace zelkova {

std::unique_ptr<JvLink> SystemJvLink(std::string& why) {
  why = Sj("JV-LinkはWindowsにだけあります。記録したJV-Dataのフィードフォルダを--feedで指定してください。");
  return nullptr;
}

bool SystemJvLinkPresent() { return false; }

bool SystemCanHaveJvLink() { return false; }

}  // namespace zelkova
