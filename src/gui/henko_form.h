// THenkoForm: the change-information window (変更情報), always on top. Five read-only lists, top
// to bottom weather and going, scratches, jockey changes, post-time changes and course changes,
// refilled by each change import. Its position is kept in Henkolocate.
#pragma once

#include <QWidget>
#include <array>
#include <filesystem>

#include "base/platform.h"
#include "racedata/race_day_updates.h"

class QListWidget;

namespace zelkova::gui {

class THenkoForm : public QWidget {
  Q_OBJECT
 public:
  THenkoForm(std::filesystem::path settingsFile, QWidget* parent = nullptr);
  // ListBox1 .. ListBox5 as i = 0 .. 4.
  QListWidget* list(int i) const { return lists_[static_cast<size_t>(i)]; }
  // Refills every list, shows the window (not modal) and scrolls each list to its last line.
  void ShowLists(const ChangeLists& lists);
  // Where a position that cannot be saved at closing is told; none: not told.
  void setPrompts(Prompts* prompts) { prompts_ = prompts; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  std::filesystem::path settings_;
  std::array<QListWidget*, 5> lists_{};
  Prompts* prompts_ = nullptr;
};

}  // namespace zelkova::gui
