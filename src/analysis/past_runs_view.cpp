#include "analysis/past_runs_view.h"

#include <cstdio>

#include "base/cp932.h"
#include "racedata/past_run_formulas.h"
#include "records/code_tables.h"

namespace zelkova {

namespace {

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// At most `n` bytes of `s`, never half a double-byte character.
std::string_view CutBytes(std::string_view s, size_t n) {
  size_t i = 0;
  while (i < s.size()) {
    size_t w = IsLead(static_cast<unsigned char>(s[i])) ? 2 : 1;
    if (i + w > n || i + w > s.size()) break;
    i += w;
  }
  return s.substr(0, i);
}

// The first character of a CP932 text (one or two bytes); empty for an empty text.
std::string FirstChar(std::string_view s) {
  if (s.empty()) return {};
  size_t w = IsLead(static_cast<unsigned char>(s[0])) && s.size() >= 2 ? 2 : 1;
  return std::string(s.substr(0, w));
}

std::string Fmt(const char* fmt, double v) {
  char buf[48];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}
std::string Fmt(const char* fmt, int v) {
  char buf[48];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}
std::string Above0(double v) { return v > 0 ? Fmt("%5.1f", v) : std::string(); }

// A record line's source: UM groups of six 3-digit counts, summed class by class.
struct RecordLineLayout {
  const char* caption;
  const char* countsLabel;
  std::vector<size_t> groups;
  const char* rateStem;  // "" for the single-rate lines, whose rate label is named in full
  const char* singleRate;
};

const std::vector<RecordLineLayout>& RecordLineLayouts() {
  static const std::vector<RecordLineLayout> layouts = {
      {"総着実績：", "SogoLabel", {1107}, "", "SogoShorituLabel"},
      {"芝着実績：", "SibaLabel", {1143, 1161, 1179}, "", "SibaShorituLabel"},
      {"ダ着実績：", "DirtLabel", {1197, 1215, 1233}, "", "DirtShorituLabel"},
      {"芝短実績：", "Siba1600Label", {1485}, "Siba1600", nullptr},
      {"芝中実績：", "Siba2200Label", {1503}, "Siba2200", nullptr},
      {"芝長実績：", "Siba2201Label", {1521}, "Siba2201", nullptr},
      {"ダ短実績：", "Dirt1600Label", {1539}, "Dirt1600", nullptr},
      {"ダ中実績：", "Dirt2200Label", {1557}, "Dirt2200", nullptr},
      {"ダ長実績：", "Dirt2201Label", {1575}, "Dirt2201", nullptr},
      {"芝重不良：", "SibaOmoLabel", {1305, 1323}, "SibaOmo", nullptr},
      {"ダ重不良：", "DirtOmoLabel", {1377, 1395}, "DirtOmo", nullptr},
  };
  return layouts;
}

std::string CountsText(const std::array<int, 6>& c) {
  std::string out;
  for (int i = 0; i < 6; ++i) out += Fmt(i < 5 ? "%2d-" : "%2d", c[static_cast<size_t>(i)]);
  return out;
}

std::string Rate(int total, int k) { return Fmt("%2d", RateScore(total, k)); }

std::vector<KakosoRecordRow> RecordRows(const UmImage* um) {
  std::vector<KakosoRecordRow> rows;
  for (const RecordLineLayout& layout : RecordLineLayouts()) {
    KakosoRecordRow row;
    row.caption = Sj(layout.caption);
    row.counts.name = layout.countsLabel;
    std::vector<std::string> names;
    if (layout.singleRate) {
      names.push_back(layout.singleRate);
    } else {
      for (const char* suffix : {"ShoLabel", "RenLabel", "FukLabel"}) names.push_back(std::string(layout.rateStem) + suffix);
    }
    for (const std::string& n : names) row.rates.push_back({n, {}});
    // Without a horse master there is nothing to count: the labels stay blank rather than
    // claiming a horse that never ran.
    if (um) {
      std::array<int, 6> counts{};
      for (size_t g : layout.groups)
        for (size_t i = 0; i < 6; ++i) counts[i] += static_cast<int>(um->fieldInt(g + 3 * i, 3));
      int total = 0;
      for (int c : counts) total += c;
      row.counts.text = CountsText(counts);
      int k = 0;
      for (size_t i = 0; i < row.rates.size(); ++i) {
        k += counts[i];
        row.rates[i].text = Rate(total, k);
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string UmaLabelText(const Runner& r) {
  const SeImage& se = r.SeRecord;
  if (se.empty() && IsBlank(se.field(41, 36))) return {};
  std::string s(CutBytes(se.field(41, 36), 18));
  s += " [" + SexName(se.field(79, 1)) + PadNumber(se.field(83, 2)) + Sj("]　　(");
  s += FirstChar(AffiliationName(r.KsRecord.field(231, 1), 1)) + ")";
  s += std::string(se.field(307, 8)) + Sj("　") + TenthsText(se.field(289, 3)) + "kg";
  return s;
}

// Turf going, or the dirt going when the race has no turf going.
std::string GoingChar(const RaImage& ra) {
  std::string g = GoingName(ra.field(889, 1), 0);
  if (g.empty()) g = GoingName(ra.field(890, 1), 0);
  return FirstChar(g);
}

std::vector<std::string> PastRunRow(int j, const PastRun& run, double level, double ability) {
  const SeImage& se = run.SeRecord;
  const RaImage& ra = run.RaRecord;
  const bool normal = se.fieldInt(332, 1) == 0;  // no abnormality (scratched, fell, ...)
  std::vector<std::string> c(kKakosoColumns);
  c[0] = Fmt("%2d", j);
  c[1] = std::string(ra.field(14, 2)) + "/" + std::string(ra.field(16, 2)) + "/" + std::string(ra.field(18, 2));
  c[2] = CourseNameW(ra.field(20, 2), 2);
  c[3] = std::string(ra.field(605, 6));
  c[4] = GradeName(ra.field(615, 1), 8);
  c[5] = AgeClassLabel(ra.field(617, 2), ra.field(635, 3));
  c[6] = FirstChar(WeightRuleName(ra.field(622, 1)));
  c[7] = TrackShort(static_cast<int>(ra.fieldInt(706, 2)));
  c[8] = PadNumber(ra.field(698, 4));
  c[9] = GoingChar(ra);
  c[10] = std::string(se.field(307, 8));
  c[11] = TenthsText(se.field(289, 3));
  c[12] = PadNumber(ra.field(882, 2));
  c[13] = PadNumber(se.field(29, 2));
  c[14] = PadNumber(se.field(335, 2));
  c[15] = PadNumber(se.field(364, 2));
  c[16] = TimeDiffText(se.field(532, 4));
  c[17] = BodyWeightText(se.field(325, 3));
  c[18] = PrefixedCount(se.field(328, 1), se.field(329, 3));
  c[19] = RunTimeText(se.field(339, 4));
  c[20] = " " + CircledNumberText(se.field(352, 2)) + CircledNumberText(se.field(354, 2)) +
          CircledNumberText(se.field(356, 2)) + CircledNumberText(se.field(358, 2));
  c[21] = TenthsText(ra.field(970, 3));
  c[22] = TenthsText(ra.field(976, 3));
  if (normal) c[23] = TenthsText(se.field(391, 3));
  c[24] = Fmt("%6.1f", RunSpeed(se.field(339, 4), ra.field(698, 4)));
  if (level > 0) c[25] = Fmt("%5.1f", level);
  if (ability > 0 && normal) c[26] = Fmt("%5.1f", ability);
  c[27] = Fmt("%7.1f", static_cast<double>(se.fieldInt(366, 8)) / 100.0);
  return c;
}

constexpr Rgb kCyan{0, 255, 255}, kMagenta{255, 0, 255}, kYellow{255, 255, 0};

const std::array<const char*, 6> kSpeedNames = {"SibaTanSPLabel", "SibaChuSPLabel", "SibaChoSPLabel",
                                                "DirtTanSPLabel", "DirtChuSPLabel", "DirtChoSPLabel"};
const std::array<const char*, 6> kLast3FNames = {"SibaTan3FLabel", "SibaChu3FLabel", "SibaCho3FLabel",
                                                 "DirtTan3FLabel", "DirtChu3FLabel", "DirtCho3FLabel"};

}  // namespace

ViewGrid KakosoView::KakosoGrid() {
  static const char* const t[kKakosoColumns] = {
      "No",   "年月日", "場所", "ﾚｰｽ名", "Ｇ",   "条件", "重",   "ﾄﾗｯｸ", "距離",     "場",     "騎手",   "負担", "頭",   "馬",
      "着",   "人",     "着差", "馬体",  "増減", "ﾀｲﾑ", "展開", "L前",  "L後",      "3F",     "速度m/分", "ﾚｰｽ格", "能力指", "獲得賞"};
  static const std::vector<std::string> titles = [] {
    std::vector<std::string> out;
    for (const char* x : t) out.push_back(Sj(x));
    return out;
  }();
  ViewGrid g("StringGrid1", titles,
             {20, 55, 40, 40, 20, 75, 20, 30, 30, 20, 55, 30, 20, 20, 20, 20, 33, 33, 33, 40, 55, 30, 30, 30, 50, 40, 40, 40},
             18);
  g.setStyleQuery(KakosoCellStyle);
  return g;
}

std::string KakosoSpeedCaption() { return Sj("平均速度："); }
std::string KakosoLast3FCaption() { return Sj("平均上3F："); }

const std::array<std::string, 6>& KakosoClassCaptions() {
  static const std::array<std::string, 6> c = {Sj("芝短"), Sj("芝中"), Sj("芝長"), Sj("ダ短"), Sj("ダ中"), Sj("ダ長")};
  return c;
}

KakosoView FillKakosoView(const RaceInfo& race, int runner) {
  KakosoView v;
  v.note = Sj("勝率・連率・複率は実績の単純計算ではなく、期待確率として補正された数値となっております。");
  for (size_t i = 0; i < 6; ++i) {
    v.speed[i].name = kSpeedNames[i];
    v.last3f[i].name = kLast3FNames[i];
  }
  const bool inRace = runner >= 0 && runner < MaxRunners;
  const Runner* r = inRace ? &race.Runners[static_cast<size_t>(runner)] : nullptr;
  v.records = RecordRows(r && !r->UmRecord.empty() ? &r->UmRecord : nullptr);
  if (r) {
    const RaceFigures& f = race.Figures;
    const size_t h = static_cast<size_t>(runner);
    v.UmaLabel = UmaLabelText(*r);
    for (size_t i = 0; i < 6; ++i) {
      v.speed[i].text = Above0(f.SpeedByClass[h][i]);
      v.last3f[i].text = Above0(f.Last3FByClass[h][i]);
    }
    // Slots without a stored race are left out, so the rows stay the runs that can be shown.
    for (int j = 1; j <= kKakosoRuns; ++j) {
      const PastRun& run = r->PastRuns[static_cast<size_t>(j - 1)];
      if (IsBlank(run.RaRecord.field(12, 4))) continue;
      std::vector<std::string> cells = PastRunRow(j, run, f.PastLevel[h][static_cast<size_t>(j - 1)],
                                                  f.PastAbility[h][static_cast<size_t>(j - 1)]);
      const int row = v.grid.rowCount();
      v.grid.setRowCount(row + 1);
      for (int c = 0; c < kKakosoColumns; ++c) v.grid.setCell(row, c, std::move(cells[static_cast<size_t>(c)]));
    }
  }
  if (v.grid.rowCount() == 1) v.grid.setRowCount(2);
  return v;
}

const std::vector<SortButton>& KakosoSortButtons() {
  // Rows with equal texts show the newest run first (年月日 descending) unless given here.
  static const std::vector<SortButton> buttons = [] {
    struct B {
      const char* caption;
      int column;
      bool descending;
      int tie = 1;
      bool tieDescending = true;
    };
    const B b[] = {{"No.", 0, false},       {"年月日", 1, false, 0, false}, {"場所", 2, false},     {"ｸﾞﾚｰﾄﾞ", 4, false},
                   {"条件", 5, false},      {"重量区", 6, false},          {"ﾄﾗｯｸ", 7, false, 22}, {"距離", 8, false},
                   {"騎手", 10, false},     {"負担", 11, true},            {"着順", 14, false},    {"単人気", 15, false},
                   {"馬体重", 17, true},    {"ﾗｯﾌﾟ前", 21, false},         {"ﾗｯﾌﾟ後", 22, false},  {"3F", 23, false},
                   {"速度", 24, true},      {"ﾚｰｽ格", 25, true},           {"能力指", 26, true},   {"獲得賞", 27, true}};
    std::vector<SortButton> out;
    for (const B& x : b) out.push_back({Sj(x.caption), x.column, x.descending, x.tie, x.tieDescending});
    return out;
  }();
  return buttons;
}

void SortKakoso(ViewGrid& grid, int button) {
  const auto& buttons = KakosoSortButtons();
  if (button < 0 || static_cast<size_t>(button) >= buttons.size()) return;
  SortByButton(grid, buttons[static_cast<size_t>(button)]);
}

CellStyle KakosoCellStyle(const ViewGrid& grid, int row, int col) {
  CellStyle s;
  if (col == 0) s.background = kCyan;
  if (col == 1) s.background = kInfoBackground;
  if (col == 5) s.align = CellStyle::Align::Left;
  if (col == 14 && row >= 1) {
    switch (ParseInt(grid.cell(row, 14))) {
      case 1: s.background = kMagenta; break;
      case 2: s.background = kYellow; break;
      case 3: s.background = kCyan; break;
      default: break;
    }
  }
  return s;
}

std::string KakosoCopyCaption() { return Sj("表をクリップボードへコピー"); }

}  // namespace zelkova
