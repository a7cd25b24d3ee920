// TFolderViewerEx: the folder-browse dialog with a caption, an explanatory text, a status header,
// the folder selected at opening and the folder chosen. Execute() returns true iff the user
// confirmed a folder; Folder() then holds it. Texts are CP932, folders UTF-8.
#pragma once

#include <string>

#include "base/platform.h"

namespace zelkova::gui {

class TFolderViewerEx {
 public:
  explicit TFolderViewerEx(FolderChooser* chooser) : chooser_(chooser) {}

  std::string Caption, Text, StatusText;
  std::string InitialFolder;  // UTF-8
  const std::string& Folder() const { return folder_; }

  bool Execute();

 private:
  FolderChooser* chooser_;
  std::string folder_;
};

}  // namespace zelkova::gui
