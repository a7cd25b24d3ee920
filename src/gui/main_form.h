// TMainForm: the main window. Its constructor performs the create event (settings, fixed files,
// folders, error log, date list); the first show performs JVInit and the version check. When
// start-up requested termination, terminationRequested() is true: the caller quits before the
// message loop, and the window writes nothing (no settings on close either).
#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/race_view.h"
#include "app/app_context.h"
#include "settings/ini_gt.h"
#include "app/startup.h"
#include "day/load_race_day.h"
#include "racedata/race_day.h"

namespace zelkova {
class RaceDayLive;
class ReplayClock;
}  // namespace zelkova

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QRadioButton;
class QButtonGroup;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QWidget;

namespace zelkova::gui {

class HistoryPages;
class RaceViewPages;
class ReferencePage;
class TAllPrintForm;
class THenkoForm;
struct LiveParts;
class TFolderViewerEx;
class TKakosoForm;
class TWaitForm;

// Marks `w` as a window that does not keep the program running once the main window is closed.
void SecondaryWindow(QWidget* w);

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TMainForm(AppContext& ctx, QWidget* parent = nullptr);
  ~TMainForm() override;

  bool terminationRequested() const { return state_.terminate; }
  const StartupState& startupState() const { return state_; }
  AppContext& context() { return ctx_; }
  QTabWidget* PageControl1() const { return pageControl1_; }
  QComboBox* DateCombo() const { return dateCombo_; }
  QListWidget* DatList() const { return datList_; }
  QWidget* Panel12() const { return panel12_; }
  QTableWidget* grid(const QString& name) const;
  ReferencePage* referencePage() const { return referencePage_; }
  TFolderViewerEx* FolderViewerEx1() const { return folderViewerEx1_.get(); }
  // The grid last pressed with the mouse (target of the copy command); null before any press.
  QTableWidget* CurrentGrid() const { return currentGrid_; }
  // Position of the race stepper UpDown1 (0 .. race count - 1).
  int upDownPosition() const { return upDownPosition_; }
  int upDownMaximum() const { return upDownMax_; }
  // The loaded race day; null before the first load.
  const RaceDay* raceDay() const { return day_.get(); }
  // What the race view shows (the model behind the analysis pages).
  const RaceView& raceView() const { return *view_; }
  RaceViewPages* raceViewPages() const { return pages_; }
  // The past-runs window that a click on a horse name opens.
  // The secondary windows (past runs, wait, changes) never keep the program running: closing
  // the main window ends it, as the program's only main window.
  void setKakosoForm(TKakosoForm* f);
  TKakosoForm* kakosoForm() const { return kakosoForm_; }
  // The 出目一覧 and 集計 pages.
  HistoryPages* historyPages() const { return history_; }
  bool dayLoaded() const { return loaded_; }
  // The wait window shown while a day loads (the program's TWaitForm); without one the form
  // makes its own.
  void setWaitForm(TWaitForm* w);
  TWaitForm* waitForm();
  // Called after the batch window changed the feed folder; stored in JVLink/FeedFolder.
  std::function<void()> onBatchDownloadClosed;

  // Opens date yyyymmdd (empty: the newest stored date), race `race` of its race list (1-based;
  // 0 keeps the first) and the page whose caption or name is `page` (empty: the current one), as a
  // user would pick them. False, with the reason, when one of them is not there.
  bool ShowRace(const QString& yyyymmdd, int race, const QString& page, QString* why);
  // Shows race N (1-based) of the loaded day's race list, 0 = the one shown, and the page with
  // that tab caption or name (none: the one shown). False with the reason in *why.
  bool ShowRaceOfDay(int race, const QString& page, QString* why);
  // Opens the past-runs window of horse number `number` of the shown race; false, with the
  // reason, when the race has no such runner.
  bool ShowHorse(int number, QString* why);

  // Hidden operations, performed by name.
  void MakeDataListBtnClick();
  void SpeedButton1Click() { MakeDataListBtnClick(); }
  void IniBtnClick();
  void SpeedButton2Click() { IniBtnClick(); }
  void UMConvertBtnClick();
  void OzGetLoopBtnClick();
  void CalcBtn1Click();
  void OzReadBtnClick();
  void HrReadBtnClick();
  void BataijuReadBtnClick();
  void KaisaiReadBtnClick();
  void kakosoBtnClick();
  void SaveCheckBtnClick();
  void RTreadBtnClick();
  void HindoRankBtnClick();
  void HindoReadBtnClick();
  // Outputs (main_form_outputs.cpp). CSVBtn is true when the file was written.
  bool CSVBtnClick();
  void CSV1Click();
  void TekiAnaBtnClick();
  void TekiAnaBtn2Click();
  // Runs the print preview (a modal exec() when empty; tests look at it instead).
  std::function<void(TAllPrintForm&)> printShow;
  // SqlExportItem: every stored date into an SQLite file the user picks. `sqlFileChooser`, when
  // set, stands for the file chooser (an empty name: cancelled).
  void SqlExportClick();
  std::function<QString()> sqlFileChooser;

  // Visible commands.
  void JVBtnClick();
  void PrintBtnClick();
  void SpeedButton5Click();
  void SpeedButton6Click();
  void SpeedButton7Click();
  void SpeedButton4Click();
  void SpeedButton9Click();
  void DateComboChange();
  void UpDown1Click(bool up);
  void DatListClick();
  void KekkaGetBtnClick();
  void SokuhoOddsBtnClick();
  void GetBataijuBtnClick();
  void GetKaisaiBtnClick();
  void RVBtnClick();
  void AutoOzCheckClick();
  void T1Click();
  void O1Click();
  void A1Click();
  void Dd1Click();
  void J1Click();
  void N10Click();
  void RadioGroup2Click();
  void SumBtnClick();

  // Timer handlers of the race day (main_form_live.cpp).
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();
  void Timer4Timer();

  QTimer Timer1, Timer2, Timer3, Timer4;

  // Race day live (main_form_live.cpp): the change window the change import fills, the clock
  // of a replayed day (its ticks then come from that clock, not from the machine's), and the
  // race-day commands' core.
  void setHenkoForm(THenkoForm* form);
  void setReplayClock(ReplayClock* clock);
  QCheckBox* AutoOzCheck() const { return autoOzCheck_; }
  // Performs the toolbar button, menu item or check box of that name (GetKaisaiBtn, O1 …) as a
  // click would; false when there is none.
  bool pressCommand(const QString& name);
  // The window as a picture, the change window drawn over it where it stands when it is shown.
  QPixmap picture();
  RaceDayLive& live();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void buildActions();
  void buildToolbar();
  void buildMenus();
  void buildPages();
  QWidget* buildReferencePage();
  QTableWidget* addGrid(QWidget* page, const QString& name);
  void HitReportClick(int threshold);
  // The grid takes the popup menu and becomes the copy target (CurrentGrid) when pressed.
  void attachCopyMenu(QTableWidget* g);
  void info(const std::string& cp932);
  // The status bar and the empty race list say what to do next: get data, or choose a date.
  void updateHints();
  // A settings write that failed is told to the user, not dropped.
  void reportWrite(const Status& s);
  // A click on a race-view grid cell: the past-runs window or a check mark.
  void raceGridClick(ViewGridId id, int row, int col);
  // The view again after one of its inputs changed, when a race is shown.
  void rerunView();
  // Runs `work` now, or once the real-time work already running has finished (JV-Link holds one
  // read cycle at a time); meanwhile the race-day timers' work waits for it.
  void runExclusive(std::function<void()> work);
  // What a load of `dateText` (or, with none, a load the aggregation makes) is given.
  LoadInputs loadInputs(const std::string& dateText) const;

  AppContext& ctx_;
  TIniGT ini_;
  StartupState state_;
  bool shown_ = false;
  bool loaded_ = false;  // a race day is loaded

  QWidget* panel5_ = nullptr;
  QWidget* panel12_ = nullptr;
  QTabWidget* pageControl1_ = nullptr;
  QComboBox* dateCombo_ = nullptr;
  QListWidget* datList_ = nullptr;
  QCheckBox* autoOzCheck_ = nullptr;
  QLabel* dlLabel_ = nullptr;
  QLabel* statusHint_ = nullptr;
  QSpinBox* spinEdit1_ = nullptr;
  QSpinBox* spinEdit2_ = nullptr;
  QSpinBox* spinEdit3_ = nullptr;
  QButtonGroup* radioGroup1_ = nullptr;
  QAction* dd1_ = nullptr;
  QMenu* popup_ = nullptr;
  QTableWidget* currentGrid_ = nullptr;
  ReferencePage* referencePage_ = nullptr;
  std::unique_ptr<TFolderViewerEx> folderViewerEx1_;
  int upDownPosition_ = 0;
  int upDownMax_ = 0;
  bool loading_ = false;
  std::unique_ptr<RaceDay> day_;
  LoadScratch scratch_;
  TWaitForm* waitForm_ = nullptr;
  std::unique_ptr<TWaitForm> ownWaitForm_;
  std::unique_ptr<RaceView> view_;
  RaceViewPages* pages_ = nullptr;
  TKakosoForm* kakosoForm_ = nullptr;
  HistoryPages* history_ = nullptr;

  void initLive();
  struct LivePartsDeleter {
    void operator()(LiveParts* p) const;
  };
  std::unique_ptr<LiveParts, LivePartsDeleter> live_;

  friend class MainFormLoadObserver;
  friend class MainFormLiveHost;
};

}  // namespace zelkova::gui
