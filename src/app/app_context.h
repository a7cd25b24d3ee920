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
  // The program folder cannot be written: it is shown, nothing is saved, and the user was told
  // so once at start.
  bool readOnly = false;

  // Where a setting that could not be saved is told: nowhere in a read-only folder.
  Prompts* settingsPrompts() const { return readOnly ? nullptr : prompts; }

  std::filesystem::path settingsPath() const { return programFolder / (exeName + ".ini"); }
};

}  // namespace zelkova
