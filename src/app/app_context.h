// What the windows and commands of one program run share: the program folder, the JV-Link
// instance and the platform layers. Owned by the main window (or the CLI's main).
#pragma once

#include <filesystem>
#include <string>

#include "base/platform.h"

namespace zelkova {

class JvLink;

struct AppContext {
  std::filesystem::path programFolder;  // every stored path is built from it
  std::string exeName = "zelkova";      // names the settings file: exeName + ".ini"
  JvLink* jvlink = nullptr;
  Prompts* prompts = nullptr;
  Clock* clock = nullptr;
  Registry* registry = nullptr;
  FolderChooser* folderChooser = nullptr;
  ShellOpen* shellOpen = nullptr;
  Clipboard* clipboard = nullptr;

  std::filesystem::path settingsPath() const { return programFolder / (exeName + ".ini"); }
};

}  // namespace zelkova
