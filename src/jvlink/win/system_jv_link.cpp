#include "jvlink/system_jv_link.h"

#include "jvlink/win/com_jv_link.h"

namespace zelkova {

std::unique_ptr<JvLink> SystemJvLink(std::string& why) {
  std::string problem;
  std::unique_ptr<ComJvLink> com = ComJvLink::Create(problem);
  if (com) return com;
  // The start-up message of a system without JV-Link, then what COM said (for a support mail).
  why = JvLinkMissingMessage() + "\r\n" + problem;
  return nullptr;
}

bool SystemJvLinkPresent() { return ComJvLink::IsAvailable(); }

bool SystemCanHaveJvLink() { return true; }

}  // namespace zelkova
