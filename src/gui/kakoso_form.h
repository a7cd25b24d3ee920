// TKakosoForm: the past-runs window (馬成績) of one horse. It shows a KakosoView built by core
// code: the header and record labels, the note, the speed and last-3F labels, the grid with its
// colours, the sort buttons (the grids' shared row sort) and the copy command. It keeps its geometry in locateKakoso.
#pragma once

#include <QWidget>
#include <array>
#include <filesystem>
#include <memory>
#include <vector>

#include "analysis/past_runs_view.h"
#include "base/platform.h"

class QButtonGroup;
class QLabel;
class QMenu;

namespace zelkova {
class Clipboard;
}

namespace zelkova::gui {

class RaceGrid;

class TKakosoForm : public QWidget {
  Q_OBJECT
 public:
  TKakosoForm(std::filesystem::path settingsFile, QWidget* parent = nullptr);
  ~TKakosoForm() override;
  RaceGrid* grid() const { return grid_; }

  // Shows `view` in No. order (kakosoBtnClick fills the view for the current runner, then shows
  // the window).
  void fill(KakosoView view);
  const KakosoView& view() const { return view_; }

  // Where the copy command puts its text; the system clipboard by default.
  void setClipboard(Clipboard* clipboard) { clipboard_ = clipboard; }
  // Where a position that cannot be saved at closing is told; none: not told.
  void setPrompts(Prompts* prompts) { prompts_ = prompts; }

  void SpeedButton77Click();
  void N10Click();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void showGrid();

  std::filesystem::path settings_;
  KakosoView view_;
  Clipboard* clipboard_ = nullptr;
  Prompts* prompts_ = nullptr;
  std::unique_ptr<Clipboard> systemClipboard_;
  QLabel* umaLabel_ = nullptr;
  std::vector<QLabel*> labels_;  // every label named in the view, in the view's order
  RaceGrid* grid_ = nullptr;
  QButtonGroup* sortGroup_ = nullptr;
  QMenu* popup_ = nullptr;
};

}  // namespace zelkova::gui
