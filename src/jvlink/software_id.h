// The program's version text and the software identifier it gives JV-Link at JVInit.
// The About window shows the same VersionText.
#pragma once

#include <string>
#include <string_view>

namespace zelkova {

inline constexpr std::string_view VersionText = "Ver.1.22";

// "SA000000/SD000000/ZelkovaJDL/" + VersionText (ASCII, so also valid CP932).
inline std::string SoftwareId() {
  return std::string("SA000000/SD000000/ZelkovaJDL/") + std::string(VersionText);
}

}  // namespace zelkova
