// RaceView: everything the main window shows for the chosen race, as plain data: the header
// labels, the odds and payout labels and the cell texts of every analysis grid, with the sort
// chosen for each grid, the check marks and the race card's filters. RunRaceView fills it for
// one race slot (the race list's click handler, DatListClick); the GUI, the CLI, the copy command,
// the CSV export and the race-day updates all read the same model. Texts are CP932.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/view_grid.h"
#include "base/platform.h"
#include "base/status.h"
#include "racedata/race_day.h"

namespace zelkova {

class TIniGT;

// The grids of the race view. The ten rating grids come first, in the order their sort groups are
// re-applied; then the two race cards.
enum class ViewGridId {
  Kihon,       // StringGrid1  基本情報
  Kettou,      // StringGrid3  血統
  Jisseki,     // StringGrid4  実績一覧 (record card)
  ChakuRT,     // StringGrid7  着RT
  NinRT,       // StringGrid8  人RT
  TenRT,       // StringGrid9  展RT
  Bataiju,     // StringGrid10 馬体重
  RTList,      // StringGrid11 RT一覧
  Jiku1,       // StringGrid16 軸推理1
  Jiku2,       // StringGrid17 軸推理2
  Umabashira,  // StringGrid6  出馬表(馬柱) (race card)
  Shutuba,     // StringGrid2  出馬表 (hidden page)
};
inline constexpr int kViewGridCount = 12;
inline constexpr int kSortedGridCount = 10;  // the rating grids, each with a 並べ替え group

// "StringGrid7" and so on; the caption of the grid's page (CP932), "軸推理1"/"軸推理2" for the two
// grids of the 軸推理 page.
const char* ViewGridName(ViewGridId id);
const std::string& ViewGridCaption(ViewGridId id);
// The grids in the order of the main window's pages (the hidden 出馬表 last).
const std::array<ViewGridId, kViewGridCount>& ViewGridsInPageOrder();
// The grid of that component name; false when the name is not a race-view grid.
bool ViewGridByName(std::string_view name, ViewGridId& id);
// The 並べ替え group's handler name ("SpeedButton39" ...) and its buttons, 馬番 first.
const char* SortGroupName(ViewGridId id);
const std::vector<SortButton>& SortButtons(ViewGridId id);
// The column of the check mark (CK) and its page in the check block; -1 for grids without one.
int CheckColumn(ViewGridId id);
int CheckPlane(ViewGridId id);

// The race card's filters (馬場選択 and the distance group).
enum class SurfaceFilter { All, Turf, Dirt };
enum class DistanceFilter { Any, Same, Within400 };

struct ColouredText {
  std::string text;
  Rgb colour = kBlack;
};

struct RaceHeader {
  std::string TitleLabel1, TitleLabel2, TitleLabel3, TitleLabel4, TitleLabel5;
  std::string BashoLabel, RaceLabel, BabaTurfLabel, BabaDirtLabel;
  std::string RestTimeLabel, NinSenyuLabel, F3AveLabel;
  ColouredText O1Time, O2Time;  // beside "単複枠：" and the quinella caption
};

struct OddsLabels {
  std::array<std::string, 18> win;                      // by runner slot
  std::array<std::string, 18> popularNo, popularOdds;   // the i-th favourite
  std::array<std::string, 153> quinella;                // QuinellaComboLabel order
  std::array<std::string, 36> bracket;                  // BracketComboLabel order
};

struct PayoutRow {
  std::string combo, popularity, amount;  // all empty when the row is cleared
};

struct PayoutRows {
  std::array<PayoutRow, 3> win;
  std::array<PayoutRow, 5> place;
  std::array<PayoutRow, 3> bracket;
  std::array<PayoutRow, 3> quinella;
  std::array<PayoutRow, 7> wide;
  std::array<PayoutRow, 6> exacta;
  std::array<PayoutRow, 3> trio;
  std::array<PayoutRow, 6> trifecta;
};

// The inputs of a view that come from controls and the clock.
struct RaceViewOptions {
  int samples = 13;       // SpinEdit3
  int weightSwitch = 0;   // RadioGroup1's item index
  std::string dateText;   // the date selector's text (CP932), for the countdown timer
  const Clock* clock = nullptr;  // "today"; never today when null
};

class RaceView {
 public:
  RaceView();
  RaceView(const RaceView&) = delete;  // the grids' queries point back at this view
  RaceView& operator=(const RaceView&) = delete;

  ViewGrid& grid(ViewGridId id) { return grids_[static_cast<size_t>(id)]; }
  const ViewGrid& grid(ViewGridId id) const { return grids_[static_cast<size_t>(id)]; }

  // The race shown: its slot and the day it belongs to (null before any race is shown).
  int slot() const { return slot_; }
  const RaceDay* day() const { return day_; }
  const RaceInfo* race() const;

  RaceHeader header;
  OddsLabels odds;
  PayoutRows payouts;
  bool panel12Visible = false;  // the analysis area
  bool timer3Enabled = false;   // the countdown to the post time (race day only)

  // The pressed button of each rating grid's group (index into SortButtons); 0 = 馬番.
  int pressedButton(ViewGridId id) const;
  SurfaceFilter surface = SurfaceFilter::All;
  DistanceFilter distance = DistanceFilter::Any;

 private:
  friend struct RaceViewAccess;
  std::array<ViewGrid, kViewGridCount> grids_;
  std::array<int, kSortedGridCount> pressed_{};
  int slot_ = -1;
  const RaceDay* day_ = nullptr;
};

struct RaceViewResult {
  bool shown = false;
  std::string message;  // the information message when the race cannot be shown (CP932)
};

// The race view of race slot `slot` (DatListClick): sets CurrentRace, computes the selection
// figures with the options, fills every label and grid and re-applies every grid's sort. A slot
// without a race number, or whose first runner has no horse number, gives the message and leaves
// the labels and grids as they were (the analysis area is hidden).
RaceViewResult RunRaceView(RaceDay& day, int slot, const RaceViewOptions& options, RaceView& view);

// Presses button `button` of a rating grid's group and sorts the grid by it.
void PressSortButton(RaceView& view, ViewGridId id, int button);
// Sorts a rating grid by its pressed button (the group handler).
void ApplySort(RaceView& view, ViewGridId id);

// The runner number (1-based) of a data row: the number in column 1, in column 0 of the record
// card; 0 when the row shows none.
int RowRunner(ViewGridId id, const ViewGrid& grid, int row);

// What a click on a grid cell did.
enum class ClickAction { None, OpenPastRuns, CheckToggled };
struct ClickResult {
  ClickAction action = ClickAction::None;
  Status saved;  // the check file write, after a toggle
};
// A click (a mouse-down on the race card) on a data cell: a horse name sets CurrentRunner and asks
// for the past-runs window; a CK cell sets CurrentRunner, toggles the mark and saves the block.
ClickResult GridClick(RaceDay& day, RaceView& view, ViewGridId id, int row, int col);
// True iff the cell takes the hand-point cursor (horse names and CK cells).
bool HandCursorAt(ViewGridId id, int row, int col);

// SaveCheckBtnClick: the day's check block written whole to its check file.
Status SaveCheckBtnClick(const RaceDay& day);

// SpinEdit3Change / RadioGroup1Click: the control's value into the settings; the caller then
// re-runs the view when a race is selected.
Status SpinEdit3Change(TIniGT& ini, int samples);
Status RadioGroup1Click(TIniGT& ini, int index);
// The stored values with their defaults (13, 0).
int StoredSampleCount(const TIniGT& ini);
int StoredWeightSwitch(const TIniGT& ini);

}  // namespace zelkova
