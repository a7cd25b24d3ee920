// view: one race of a date as the main window shows it: the header labels, then each grid as
// tab-separated rows exactly as its cells read (title row first), after the chosen sort, then
// the payouts.
#include <ostream>
#include <string>
#include <vector>

#include "analysis/race_view.h"
#include "app/headless_day.h"
#include "base/cp932.h"
#include "cli/commands.h"

namespace zelkova::cli {

namespace {

std::string U(std::string_view cp932) { return Cp932ToUtf8Lossy(cp932); }


// A grid named by its component name ("StringGrid7") or its page caption ("着RT").
bool FindGrid(const std::string& utf8, ViewGridId& id) {
  if (ViewGridByName(utf8, id)) return true;
  for (ViewGridId g : ViewGridsInPageOrder())
    if (U(ViewGridCaption(g)) == utf8) {
      id = g;
      return true;
    }
  return false;
}

int ButtonIndex(ViewGridId id, const std::string& utf8) {
  const auto& buttons = SortButtons(id);
  for (size_t i = 0; i < buttons.size(); ++i)
    if (U(buttons[i].caption) == utf8) return static_cast<int>(i);
  return -1;
}

std::string Captions(ViewGridId id) {
  std::string out;
  for (const SortButton& b : SortButtons(id)) out += (out.empty() ? "" : " ") + U(b.caption);
  return out;
}

void PrintGrid(std::string& out, const ViewGrid& g, ViewGridId id) {
  out += "[" + g.name() + " " + U(ViewGridCaption(id)) + "]\n";
  for (int r = 0; r < g.rowCount(); ++r) {
    for (int c = 0; c < g.colCount(); ++c) out += (c ? "\t" : "") + U(g.cell(r, c));
    out += "\n";
  }
}

template <size_t N>
void PrintPayouts(std::string& out, const char* kind, const std::array<PayoutRow, N>& rows) {
  for (const PayoutRow& r : rows)
    if (!r.combo.empty()) out += std::string(kind) + "\t" + U(r.combo) + "\t" + U(r.popularity) + "\t" + U(r.amount) + "\n";
}

}  // namespace

int CmdView(CliContext& ctx, const std::vector<std::string>& args) {
  DayArguments given;
  std::string gridArg, sortArg;
  if (int bad = ParseDayArguments(ctx, args, given,
                                  [&](const std::string& a, const std::string* value, std::string& why) {
                                    if (a != "--grid" && a != "--sort") return 0;
                                    if (!value) {
                                      why = a + (a == "--grid" ? " に値がありません（グリッドの名前かページの見出し）"
                                                               : " に値がありません（並べ替えボタンの見出し）");
                                      return -1;
                                    }
                                    (a == "--grid" ? gridArg : sortArg) = *value;
                                    return 2;
                                  }))
    return bad;
  const std::string& date = given.date;
  const int samples = given.samples, weightSwitch = given.weightSwitch;
  ViewGridId only = ViewGridId::Kihon;
  const bool oneGrid = !gridArg.empty();
  if (oneGrid && !FindGrid(gridArg, only)) {
    std::string names;
    for (ViewGridId g : ViewGridsInPageOrder()) names += std::string(" ") + ViewGridName(g) + "(" + U(ViewGridCaption(g)) + ")";
    return BadArgument(ctx, "「" + gridArg + "」というグリッドはありません。グリッド：" + names);
  }
  if (!sortArg.empty()) {
    bool any = false;
    for (ViewGridId g : ViewGridsInPageOrder())
      if ((!oneGrid || g == only) && ButtonIndex(g, sortArg) >= 0) any = true;
    if (!any)
      return BadArgument(ctx, "「" + sortArg + "」という並べ替えボタンはありません" +
                                  (oneGrid ? "（" + std::string(ViewGridName(only)) + " のボタン：" + Captions(only) + "）" : ""));
  }

  if (!ProgramFolderReady(ctx)) return 1;
  auto day = MakeRaceDay();
  auto load = LoadDayForCommand(ctx, date, *day);
  if (!load) return 1;
  RaceViewOptions options;
  options.samples = samples >= 0 ? samples : load->samples;
  options.weightSwitch = weightSwitch >= 0 ? weightSwitch : load->weightSwitch;
  options.dateText = date;
  std::vector<int> chosen;
  if (int status = ChosenRaces(ctx, *day, given.race, true, chosen)) return status;
  const int slot = chosen.front();
  auto view = std::make_unique<RaceView>();
  RaceViewResult shown = RunRaceView(*day, slot, options, *view);
  if (!shown.shown) {
    *ctx.err << "zelkova-cli: " << Said(shown.message) << "\n";
    return 1;
  }
  if (!sortArg.empty())
    for (ViewGridId g : ViewGridsInPageOrder())
      if (int b = ButtonIndex(g, sortArg); b >= 0 && (!oneGrid || g == only)) PressSortButton(*view, g, b);

  std::string out;
  const RaceHeader& h = view->header;
  for (auto [name, text] : std::initializer_list<std::pair<const char*, const std::string*>>{
           {"TitleLabel1", &h.TitleLabel1},
           {"TitleLabel2", &h.TitleLabel2},
           {"TitleLabel3", &h.TitleLabel3},
           {"TitleLabel4", &h.TitleLabel4},
           {"TitleLabel5", &h.TitleLabel5},
           {"BashoLabel", &h.BashoLabel},
           {"RaceLabel", &h.RaceLabel},
           {"BabaTurfLabel", &h.BabaTurfLabel},
           {"BabaDirtLabel", &h.BabaDirtLabel},
           {"O1Time", &h.O1Time.text},
           {"O2Time", &h.O2Time.text},
           {"NinSenyuLabel", &h.NinSenyuLabel},
           {"F3AveLabel", &h.F3AveLabel}})
    out += std::string(name) + "\t" + U(*text) + "\n";
  for (ViewGridId g : ViewGridsInPageOrder()) {
    if (oneGrid ? g != only : g == ViewGridId::Shutuba) continue;
    out += "\n";
    PrintGrid(out, view->grid(g), g);
  }
  if (!oneGrid) {
    const PayoutRows& p = view->payouts;
    out += "\n[payouts]\n";
    PrintPayouts(out, "単勝", p.win);
    PrintPayouts(out, "複勝", p.place);
    PrintPayouts(out, "枠連", p.bracket);
    PrintPayouts(out, "馬連", p.quinella);
    PrintPayouts(out, "ワイド", p.wide);
    PrintPayouts(out, "馬単", p.exacta);
    PrintPayouts(out, "3連複", p.trio);
    PrintPayouts(out, "3連単", p.trifecta);
  }
  *ctx.out << out;
  ctx.out->flush();
  return ctx.out->good() ? 0 : 1;
}

}  // namespace zelkova::cli
