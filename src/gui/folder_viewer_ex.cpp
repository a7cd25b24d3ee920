#include "gui/folder_viewer_ex.h"

namespace zelkova::gui {

bool TFolderViewerEx::Execute() {
  if (!chooser_) return false;
  // The platform dialog shows one title line and explains itself; Text and StatusText are kept
  // for a chooser that can show them.
  std::string chosen;
  if (!chooser_->choose(Caption, InitialFolder, chosen) || chosen.empty()) return false;
  folder_ = chosen;
  return true;
}

}  // namespace zelkova::gui
