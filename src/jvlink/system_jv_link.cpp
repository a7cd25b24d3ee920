#include "jvlink/system_jv_link.h"

#include "base/cp932.h"

namespace zelkova {

std::string JvLinkMissingMessage() {
  return Sj("JRA-VANのホームページより【JV-Link】を入手し、インストールしてください。");
}

}  // namespace zelkova
