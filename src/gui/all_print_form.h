// TAllPrintForm: the print preview window. The zoom choice 倍率 (25/50/75/100 %, stored as
// PrintZoom/ratio), 表示ﾍﾟｰｼﾞ印刷, ﾌﾟﾘﾝﾀ設定, PDF保存 and 閉じる over a scrolled TPrevX.
// Geometry is read from Printlocate on creation and written on close; closing leaves the printer
// on A4 portrait.
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>

#include "base/platform.h"
#include "base/status.h"
#include "racedata/race_day.h"
#include "settings/ini_gt.h"

class QButtonGroup;
class QCloseEvent;

namespace zelkova::gui {

class TPrevX;

class TAllPrintForm : public QDialog {
  Q_OBJECT
 public:
  TAllPrintForm(TIniGT& ini, Prompts* prompts, QWidget* parent = nullptr);

  TPrevX* PrevX1() const { return prevX_; }
  QButtonGroup* zoomChoice() const { return zoom_; }
  // Zoom choice index 0..3 -> ZoomScale 25, 50, 75, 100, stored.
  void ZoomChange(int index);
  // The zoom choice read from the settings and applied; `store`: a missing or unusable one is
  // stored as the 50% it becomes (the print does so, the window's creation does not).
  void applyStoredZoom(bool store);
  void PrintBtnClick();
  void SetupBtnClick();
  // Asks for a file name, then SaveAsPdf.
  void PdfBtnClick();
  Status SaveAsPdf(const std::filesystem::path& file);

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void tell(const Status& s);

  TIniGT& ini_;
  Prompts* prompts_;
  TPrevX* prevX_ = nullptr;
  QButtonGroup* zoom_ = nullptr;
};

// PrintBtn: the analysis print of the loaded day. Without a loaded day (an empty date selector or
// a hidden analysis area) it beeps and says "データを読み込んでください。"; a day without races
// shows nothing. Otherwise the page is recorded and `show` runs the window (a modal exec()
// when empty).
void RunAnalysisPrint(QWidget* parent, TIniGT& ini, Prompts* prompts, const std::string& dateSelectorText,
                      bool analysisShown, const RaceDay* day,
                      const std::function<void(TAllPrintForm&)>& show = {});

}  // namespace zelkova::gui
