// The race day as it runs live: the real-time download commands (each a fetch into the stored
// files, then the matching import into the loaded day and a new run of the race view), the
// automatic retrieval's timer handlers and the time-series odds import. The handlers are plain
// functions of the race day, the clock and the prompts; whoever owns the timers calls them.
// Everything runs on one thread. Texts are CP932.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/rank_frequency.h"
#include "base/platform.h"
#include "jvlink/realtime_download.h"
#include "racedata/race_day.h"
#include "racedata/race_day_updates.h"

namespace zelkova {

class JvLink;
class TIniGT;

// One fetch as it went, for a log of the day.
struct FetchReport {
  LocalTime time;          // when it started
  RealtimeKind kind = RealtimeKind::kOdds;
  std::string race;        // racecourse and race number ("東京11R") for odds, else the date key
  FetchOutcome outcome;
};

// What the window (or a headless follower) provides: the selection, the labels and the steps that
// belong to other parts of the program. Every hook but the two selection queries may do nothing.
class LiveHost {
 public:
  virtual ~LiveHost() = default;
  // DateCombo's text (blank when no date is chosen).
  virtual std::string DateComboText() const = 0;
  // The race-list item selected in DatList, -1 when none; and the number of items.
  virtual int SelectedRaceItem() const = 0;
  virtual int RaceItemCount() const { return 0; }
  // Selects race-list item `item` and runs the race analysis and view for it.
  virtual void SelectRaceItem(int /*item*/) {}
  // Runs the race view of the selected race again.
  virtual void RerunRaceView() {}
  // The day's rank-frequency counts made again after a results fetch (HindoRankBtn).
  virtual void ShowRankFrequency(const RankFrequency&) {}
  // The change window with new lists (THenkoForm).
  virtual void ShowChanges(const ChangeLists&) {}
  virtual void DLlabel(const std::string&) {}
  virtual void NowTimLabel(const std::string&) {}
  virtual void RestTimeLabel(const std::string&) {}
  // AutoOzCheck's tick, set back after a refusal.
  virtual void SetAutoOzCheck(bool) {}
  virtual void SetTimer1(bool /*running*/) {}
  // Loads the date shown in DateCombo again.
  virtual void ReloadDay() {}
  virtual void Fetched(const FetchReport&) {}
  virtual void ErrorLogged(const std::string&) {}
};

class RaceDayLive : private FetchView {
 public:
  RaceDayLive(std::filesystem::path programFolder, JvLink& jv, Prompts& prompts, const Clock& clock, TIniGT& settings,
              LiveHost& host);
  ~RaceDayLive() override;

  // The loaded day the commands work on; none (null) makes every command do nothing.
  void setDay(RaceDay* day) { day_ = day; }
  RaceDay* day() const { return day_; }
  RealtimeDownload& download() { return *download_; }

  // ---- real-time download commands ----
  void SokuhoOddsBtnClick();
  void OzGetLoopBtnClick();
  void O1Click();
  void KekkaGetBtnClick();
  void GetBataijuBtnClick();
  void GetKaisaiBtnClick();
  void RVBtnClick();

  // ---- imports, as the commands run them ----
  void OzReadBtnClick();     // odds of BetRace, then its support figures
  bool HrReadBtnClick();     // true when the race view was run again for a first result
  void BataijuReadBtnClick();
  void KaisaiReadBtnClick();

  // ---- automatic retrieval ----
  // The check box was clicked and now shows `checked`; it is set back when arming is refused.
  void AutoOzCheckClick(bool checked);
  void Timer1Timer();  // queued odds at each race's odds time
  void Timer2Timer();  // the clock label
  void Timer3Timer();  // time to the selected race's post
  void Timer4Timer();  // results and weights until 18:00
  // Odds from the time-series folder, then a reload.
  void T1Click();
  // Chooses the time-series folder.
  void J1Click(FolderChooser& chooser);

  // Races queued by the last Timer1 tick (race key + "%2d" slot) and the races queued since the
  // box was last ticked.
  std::vector<std::string> OddsQueue;
  std::array<bool, MaxRaces> AutoOddsDone{};
  bool QuietResults = false;
  bool QuietWeights = false;
  bool timer1Running() const { return timer1_; }

 private:
  void DLlabel(const std::string& text) override;
  void ErrorLogged(const std::string& text) override;

  // The slot of the selected race-list item, -1 when none is selected.
  int selectedSlot() const;
  bool dateChosen() const;
  SlotKeys slotKeys() const;
  FetchOutcome fetch(RealtimeKind kind, const std::string& key, const std::string& race, const std::string& progress,
                     const std::string& openError, bool openBeep, bool quiet);
  // A date-keyed fetch of the selected day, with its error text built from the current race.
  bool dateFetch(RealtimeKind kind, const char* progress, const char* errorText, bool openBeep, bool quiet,
                 bool needsRace, FetchOutcome* outcome = nullptr);
  // An import's failure, unattended: into the error log, and into the status label unless
  // `toLabel` is false (an earlier failure of the same command is shown there).
  void importFailed(const Status& s, bool toLabel = true);

  std::filesystem::path folder_;
  JvLink& jv_;
  Prompts& prompts_;
  const Clock& clock_;
  TIniGT& settings_;
  LiveHost& host_;
  RaceDay* day_ = nullptr;
  std::unique_ptr<RealtimeDownload> download_;
  bool timer1_ = false;
};

// The race-list item k is the k-th race slot that has a list item (slots with a blank or "0000"
// year have none). -1 when there is no such item.
int RaceListSlot(const RaceDay& day, int item);

// "hhmm" (or "hhnn") of a local time.
std::string HourMinute(const LocalTime& t);

}  // namespace zelkova
