// The JV-Link of this system: the JV-Link control on Windows, none elsewhere (there the
// recorded-feed backend with a feed folder takes its place). Which one is decided by the source
// file the build takes (win/ or posix/).
#pragma once

#include <memory>
#include <string>

#include "jvlink/jv_link.h"

namespace zelkova {

// The system's JV-Link, ready for JVInit; nullptr when there is none, with `why` (CP932) saying
// so for the user: not installed (with how to get it), not usable by this build, or not a
// Windows system (with --feed as the way to a recorded feed).
std::unique_ptr<JvLink> SystemJvLink(std::string& why);

// True iff the system's JV-Link can be created here (created and released at once).
bool SystemJvLinkPresent();
// False where a system never has JV-Link (anything but Windows): there nothing is missing without
// it, and the recorded-feed backend stands in.
bool SystemCanHaveJvLink();

// What the program says (after a beep) before it ends when JV-Link is not installed (CP932).
std::string JvLinkMissingMessage();

}  // namespace zelkova
