#include "analysis/view_styles.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "analysis/scratched.h"
#include "base/cp932.h"
#include "racedata/past_run_formulas.h"
#include "records/code_tables.h"

namespace zelkova {

namespace {

constexpr Rgb kMagenta{255, 0, 255}, kCyan{0, 255, 255}, kYellow{255, 255, 0};
constexpr Rgb kTurf{0, 128, 0}, kDirt{128, 0, 0};

std::string FmtInt(const char* f, long long v) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, f, v);
  return std::string(buf, n > 0 ? std::min(static_cast<size_t>(n), sizeof buf - 1) : 0);
}

std::string Fmt(const char* f, double v) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, f, v);
  return std::string(buf, n > 0 ? std::min(static_cast<size_t>(n), sizeof buf - 1) : 0);
}

// A number in a cell; 0 when the cell holds none.
int CellNumber(std::string_view text) { return static_cast<int>(ParseInt(text, 0)); }

Rgb RankColour(int v) {
  if (v == 1) return kRed;
  if (v == 2 || v == 3) return kBlue;
  return kBlack;
}

// The 着順 column of each rating grid; -1 for the 血統 grid, which has none.
int ResultColumn(ViewGridId id) {
  switch (id) {
    case ViewGridId::Kihon: return 16;
    case ViewGridId::ChakuRT: return 27;
    case ViewGridId::NinRT: return 28;
    case ViewGridId::TenRT: return 31;
    case ViewGridId::Bataiju: return 15;
    case ViewGridId::RTList: return 25;
    case ViewGridId::Jiku1: return 22;
    case ViewGridId::Jiku2: return 20;
    default: return -1;
  }
}

}  // namespace

bool RankColumn(ViewGridId id, int col) {
  auto in = [col](std::initializer_list<int> cols) {
    for (int c : cols)
      if (c == col) return true;
    return false;
  };
  switch (id) {
    case ViewGridId::Kihon: return in({9, 16});
    case ViewGridId::ChakuRT: return in({22, 24, 26, 27});
    case ViewGridId::NinRT: return in({26, 28});
    case ViewGridId::TenRT: return in({26, 31});
    case ViewGridId::Bataiju: return in({15});
    case ViewGridId::RTList: return in({8, 9, 10, 12, 14, 16, 18});
    case ViewGridId::Jiku1: return in({8, 18, 20, 22});
    case ViewGridId::Jiku2: return in({8, 10, 17, 19, 20});
    default: return false;
  }
}

namespace {

const SeImage* RunnerSe(const RaceInfo* race, const ViewGrid& grid, ViewGridId id, int row) {
  int n = RowRunner(id, grid, row);
  return race && n >= 1 ? &race->Runners[static_cast<size_t>(n - 1)].SeRecord : nullptr;
}

// ---- cards ----------------------------------------------------------------------------------

// Half-width characters of the fixed-pitch font are half an em wide; the em is whole pixels.
int TextWidth(std::string_view text, double points) {
  const long em = std::lround(points * 4.0 / 3.0);
  return static_cast<int>((static_cast<long>(text.size()) * em + 1) / 2);
}

PaintFont Font(double size, bool bold = false) {
  PaintFont f;
  f.size = size;
  f.bold = bold;
  return f;
}

// Six 3-digit counts (1st, 2nd, 3rd, 4th, 5th, unplaced) of a UM group, summed over `groups`.
std::array<int, 6> Counts(const UmImage& um, const std::vector<size_t>& groups) {
  std::array<int, 6> c{};
  for (size_t g : groups)
    for (size_t i = 0; i < 6; ++i) c[i] += static_cast<int>(um.fieldInt(g + 3 * i, 3));
  return c;
}

int Total(const std::array<int, 6>& c) { return c[0] + c[1] + c[2] + c[3] + c[4] + c[5]; }

std::string CountsText(const std::array<int, 6>& c) {
  std::string out;
  for (size_t i = 0; i < 6; ++i) out += FmtInt(i < 5 ? "%2lld-" : "%2lld", c[i]);
  return out;
}

struct CountLine {
  std::string label;  // CP932
  std::vector<size_t> groups;
  Rgb colour;
};

// The card's fixed texts, converted once.
struct CardTexts {
  std::string nige = Sj(" 逃:"), saki = Sj(" 先:"), sashi = Sj(" 差:"), oi = Sj(" 追:");
  std::string local = Sj("地方"), abroad = Sj("海外"), dash = Sj("－"), man = Sj("万");
  std::string runners = Sj("ﾄ "), frame = Sj("枠"), gate = Sj("ゲ"), popular = Sj("人");
  std::string sire = Sj("[父]"), dam = Sj("[母]"), prize = Sj("収得賞金:"), total = Sj("  総賞金:"), thousand = Sj("千円");
  std::string win = Sj("期待勝率　："), top2 = Sj("期待連対率："), top3 = Sj("期待複勝率："), percent = Sj("％");
  std::array<CountLine, 5> record{{{Sj("全実績 "), {1107}, kBlack},
                                   {Sj("芝・右 "), {1161}, kTurf},
                                   {Sj("芝・左 "), {1179}, kTurf},
                                   {Sj("ダ・右 "), {1215}, kDirt},
                                   {Sj("ダ・左 "), {1233}, kDirt}}};
  // The groups of 実績一覧's figures 9..13.
  std::array<CountLine, 5> distance{{{Sj("～1600 "), {1485, 1539}, kBlack},
                                     {Sj("～2200 "), {1503, 1557}, kBlack},
                                     {Sj("2201～ "), {1521, 1575}, kBlack},
                                     {Sj("良稍重 "), {1269, 1287, 1341, 1359, 1413, 1431}, kBlack},
                                     {Sj("重不良 "), {1305, 1323, 1377, 1395, 1449, 1467}, kBlack}}};
};

const CardTexts& CT() {
  static const CardTexts t;
  return t;
}

void Centred(PaintList& p, int w, int h, const std::string& text, const PaintFont& f, Rgb colour) {
  p.Text((w - TextWidth(text, f.size)) / 2, (h - LineHeight(f.size)) / 2, text, f, colour);
}

std::string Stripped(std::string_view field) { return StripWideSpaces(TrimBlanks(field)); }

}  // namespace

int LineHeight(double points) { return static_cast<int>(std::ceil(points * 4.0 / 3.0 - 1e-9)); }

Rgb BracketColour(int bracket) {
  static constexpr Rgb kColours[8] = {kWhite, {128, 128, 128}, kRed, kBlue, kYellow, {0, 255, 0}, {255, 128, 0}, kMagenta};
  return bracket >= 1 && bracket <= 8 ? kColours[bracket - 1] : kWhite;
}

Rgb BracketTextColour(int bracket) {
  return bracket == 1 || bracket == 5 || bracket < 1 || bracket > 8 ? kBlack : kWhite;
}

Rgb ResultHighlight(int position) {
  switch (position) {
    case 1: return {255, 185, 255};
    case 2: return {202, 255, 228};
    case 3: return {255, 255, 168};
    default: return kWhite;
  }
}

CellStyle RatingCellStyle(ViewGridId id, const ViewGrid& grid, int row, int col, const RaceInfo* race) {
  CellStyle s;
  if (row < 1) return s;
  if (col == 3 || (id == ViewGridId::Kettou && col >= 6)) s.align = CellStyle::Align::Left;
  const std::string& text = grid.cell(row, col);
  if (col == 0) {
    const int b = CellNumber(text);
    s.background = BracketColour(b);
    s.text = BracketTextColour(b);
    return s;
  }
  if (col == 1) {
    s.background = kInfoBackground;
    return s;
  }
  // A runner that does not run: greyed, its name on silver, no rank colours.
  if (const int n = RowRunner(id, grid, row); race && n >= 1 && IsScratched(*race, n - 1)) {
    s.text = kGrey;
    if (col == 3) s.background = kSilver;
    return s;
  }
  const int resultCol = ResultColumn(id);
  auto finish = [&] {
    if (id == ViewGridId::Kettou) {
      const SeImage* se = RunnerSe(race, grid, id, row);
      return se ? static_cast<int>(se->fieldInt(335, 2)) : 0;
    }
    return CellNumber(grid.cell(row, resultCol));
  };
  if (col == 3) {
    s.background = ResultHighlight(finish());
    return s;
  }
  if (col == resultCol) {
    s.background = ResultHighlight(finish());
    // RT一覧 keeps its result in the grid's own black; the others colour it as a rank.
    if (RankColumn(id, col)) s.text = RankColour(CellNumber(text));
    return s;
  }
  if (RankColumn(id, col)) {
    s.background = kInfoBackground;
    s.text = RankColour(CellNumber(text));
    return s;
  }
  const bool blank = IsBlank(text);
  const int v = CellNumber(text);
  switch (id) {
    case ViewGridId::ChakuRT:
    case ViewGridId::NinRT: {
      const int first = id == ViewGridId::ChakuRT ? 7 : 11;
      if (col >= first && col <= first + 13) {
        if (blank) s.background = kSilver;
        else if (v == 1) s.background = kMagenta;
        else if (v == 2) s.background = kCyan;
        else if (v == 3) s.background = kYellow;
      }
      break;
    }
    case ViewGridId::TenRT:
      if (col >= 11 && col <= 24) {
        if (blank) s.background = kSilver;
        else if (v >= 1 && v <= 3) s.background = kCyan;
      }
      break;
    case ViewGridId::Bataiju:
      if (col == 14 && !blank) s.text = v < 2 ? kRed : (v <= 6 ? kBlack : kBlue);
      break;
    case ViewGridId::Jiku1:
      if (col >= 9 && col <= 11) {
        s.background = kInfoBackground;
        const int n = RowRunner(id, grid, row);
        if (race && n >= 1) {
          const RaceFigures& f = race->Figures;
          const size_t h = static_cast<size_t>(n - 1);
          const double c = col == 9 ? f.FinishComplement[h] : (col == 10 ? f.PopularityComplement[h] : f.PositionComplement[h]);
          s.text = c > 0 ? kBlue : (c < 0 ? kRed : kBlack);
        }
      }
      break;
    default: break;
  }
  return s;
}

PaintList RecordCardCell(const RaceInfo& race, int runner, int col, int width, int height) {
  PaintList p;
  if (runner < 1 || runner > MaxRunners) return p;
  const Runner& r = race.Runners[static_cast<size_t>(runner - 1)];
  const SeImage& se = r.SeRecord;
  const UmImage& um = r.UmRecord;
  // Five lines of counts fill the card: 8 points would not fit five lines into a 50-pixel row.
  const PaintFont big = Font(13, true), bold = Font(10, true), small = Font(8), lines5 = Font(7);
  const int step = (height - 2) / 5;
  switch (col) {
    case 0: {
      const int b = static_cast<int>(se.fieldInt(28, 1));
      p.Fill(0, 0, width, height, BracketColour(b));
      Centred(p, width, height, FmtInt("%2lld", b), big, BracketTextColour(b));
      break;
    }
    case 1:
      p.Fill(0, 0, width, height, kInfoBackground);
      Centred(p, width, height, FmtInt("%2lld", se.fieldInt(29, 2)), big, kBlack);
      break;
    case 2: Centred(p, width, height, BlinkerMark(se.field(295, 1)), bold, kBlack); break;
    case 3: {
      p.Fill(0, 0, width, height, ResultHighlight(static_cast<int>(se.fieldInt(335, 2))));
      std::string name(se.field(41, 36));
      // At most 18 bytes, never half a character.
      size_t cut = 0;
      while (cut < name.size() && cut < 18) {
        unsigned char c = static_cast<unsigned char>(name[cut]);
        size_t w = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
        if (cut + w > 18) break;
        cut += w;
      }
      name.resize(cut);
      int y = 2;
      p.Text(2, y, name, bold);
      y += LineHeight(bold.size) + 1;
      const PaintFont nine = Font(9);
      p.Text(2, y, CT().nige + PadNumber(um.field(1593, 3)) + CT().saki + PadNumber(um.field(1596, 3)), nine);
      y += LineHeight(nine.size);
      p.Text(2, y, CT().sashi + PadNumber(um.field(1599, 3)) + CT().oi + PadNumber(um.field(1602, 3)), nine);
      break;
    }
    case 4: Centred(p, width, height, SexName(se.field(79, 1)), bold, kBlack); break;
    case 5: Centred(p, width, height, PadNumber(se.field(83, 2)), bold, kBlack); break;
    case 6:
    case 7:
    case 8: {
      const auto c = Counts(um, std::vector<size_t>{1107});
      const int k = col == 6 ? c[0] : (col == 7 ? c[0] + c[1] : c[0] + c[1] + c[2]);
      p.Fill(0, 0, width, height, kInfoBackground);
      Centred(p, width, height, FmtInt("%4lld", RateScore(Total(c), k)), small, kBlack);
      break;
    }
    case 9:
    case 11: {
      p.Fill(0, 0, width, height, kPaleCyan);
      const auto& lines = col == 9 ? CT().record : CT().distance;
      for (size_t i = 0; i < lines.size(); ++i)
        p.Text(2, 1 + static_cast<int>(i) * step, lines[i].label + CountsText(Counts(um, lines[i].groups)), lines5,
               lines[i].colour);
      break;
    }
    case 10:
    case 12: {
      p.Fill(0, 0, width, height, kInfoBackground);
      const auto& lines = col == 10 ? CT().record : CT().distance;
      for (size_t i = 0; i < lines.size(); ++i) {
        const auto c = Counts(um, lines[i].groups);
        const std::string t = FmtInt("%4lld", RateScore(Total(c), c[0]));
        p.Text((width - TextWidth(t, lines5.size)) / 2, 1 + static_cast<int>(i) * step, t, lines5, lines[i].colour);
      }
      break;
    }
    case 13: {
      const int pos = static_cast<int>(se.fieldInt(335, 2));
      if (pos >= 1) Centred(p, width, height, FmtInt("%2lld", pos), big, RankColour(pos));
      break;
    }
    default: break;
  }
  p.Line(0, height - 1, width, height - 1, PaintPen{});
  return p;
}

namespace {

// Whether the race card greys a past run: a local or overseas race, or one the filters leave out.
bool Greyed(const RaImage& past, const RaImage& today, SurfaceFilter surface, DistanceFilter distance) {
  const std::string name = CourseName(past.field(20, 2));
  const std::string_view course = TrimBlanks(name);
  if (course == CT().local || course == CT().abroad) return true;
  const std::string_view track = past.field(706, 2);
  const long long t = past.fieldInt(706, 2);
  if (surface == SurfaceFilter::Turf && !IsBlank(track) && (t < 10 || t > 22)) return true;
  if (surface == SurfaceFilter::Dirt && !IsBlank(track) && (t < 23 || t > 29)) return true;
  const long long d = past.fieldInt(698, 4), d0 = today.fieldInt(698, 4);
  if (distance == DistanceFilter::Same && d != d0) return true;
  if (distance == DistanceFilter::Within400 && std::llabs(d - d0) > 400) return true;
  return false;
}

// The pitch of the card's lines: a line's height and a pixel, so that the ink of one line
// never touches the next one's.
int CardLine(double points) { return LineHeight(points) + 1; }

void PastRunCell(PaintList& p, const RaceInfo& race, int h, int k, int width, SurfaceFilter surface,
                 DistanceFilter distance) {
  const PastRun& run = race.Runners[static_cast<size_t>(h)].PastRuns[static_cast<size_t>(k)];
  const RaImage& ra = run.RaRecord;
  const SeImage& se = run.SeRecord;
  if (IsBlank(ra.field(12, 4))) return;
  const bool grey = Greyed(ra, race.RaRecord, surface, distance);
  auto colour = [grey](Rgb c) { return grey ? kGrey : c; };
  const PaintFont f8 = Font(8), f9 = Font(9), f9b = Font(9, true);
  const int x = 2;
  int y = 1;
  // 1: date, meeting, racecourse, day, weather, going; the finish at the right.
  const long long track = ra.fieldInt(706, 2);
  std::string l1 = std::string(ra.field(12, 4)) + "." + std::string(ra.field(16, 2)) + "." + std::string(ra.field(18, 2)) +
                   " " + PadNumber(ra.field(22, 2)) + CourseNameW(ra.field(20, 2), 2) + PadNumber(ra.field(24, 2)) +
                   WeatherName(ra.field(888, 1)) + GoingName(track > 22 ? ra.field(890, 1) : ra.field(889, 1), 0);
  p.Text(x, y, l1, f8, colour(kBlack));
  // The finish sits 18 pixels from the right edge, or after the racecourse and going when
  // they reach that far.
  const int finishAt = std::max(width - 18, x + TextWidth(l1, f8.size) + 4);
  const std::string_view fin = se.field(335, 2);
  const int pos = static_cast<int>(ParseInt(fin, 0));
  const std::string posText = IsBlank(fin) || fin == "00" ? "  " : FmtInt("%2lld", pos);
  p.Text(finishAt, y, posText, f9b, colour(RankColour(pos)));
  y += CardLine(f8.size);
  // 2: race, class, track, distance, weight rule.
  p.Text(x, y,
         std::string(ra.field(605, 6)) + RaceClassLabel(ra.field(635, 3), ra.field(615, 1), "") +
             TrackShort(static_cast<int>(track)) + PadNumber(ra.field(698, 4)) + " " + WeightRuleName(ra.field(622, 1)),
         f8, colour(kBlack));
  y += CardLine(f8.size);
  // 3: time and last 3F, or what went wrong; field size, frame, horse number, popularity.
  const std::string field = PadNumber(ra.field(882, 2)) + CT().runners + PadNumber(se.field(28, 1)) + CT().frame +
                            PadNumber(se.field(29, 2)) + CT().gate + PadNumber(se.field(364, 2)) + CT().popular;
  std::string l3;
  if (se.fieldInt(332, 1) != 0)
    l3 = AbnormalityName(se.field(332, 1)) + " " + field;
  else
    l3 = std::string(TrimBlanks(PadNumber(se.field(339, 4)))) + " " + PadNumber(se.field(391, 3)) + " " + field;
  p.Text(x, y, l3, f8, colour(kBlack));
  y += CardLine(f8.size);
  // 4: the corner positions, with the race's furlong times and figures beside them.
  const long long runners = ra.fieldInt(882, 2);
  const std::string_view course = ra.field(20, 2);
  const bool noCourse = IsBlank(course) || course == "00";
  for (int i = 0; i < 4; ++i) {
    const std::string_view c = se.field(352 + 2 * static_cast<size_t>(i), 2);
    std::string t;
    Rgb col = kBlack;
    if (noCourse) {
      t = " ";
    } else if (IsBlank(c) || c == "00") {
      t = CT().dash;
    } else {
      const long long v = ParseInt(c, 0);
      t = CircledNumber(static_cast<int>(v));
      col = v == 1 ? kRed : (runners > 0 && static_cast<double>(v) / static_cast<double>(runners) > 0.5 ? kBlack : kBlue);
    }
    p.Text(x + 12 * i, y, t, f9, colour(col));
  }
  if (runners < 1) return;
  const double level = race.Figures.PastLevel[static_cast<size_t>(h)][static_cast<size_t>(k)];
  const double ability = race.Figures.PastAbility[static_cast<size_t>(h)][static_cast<size_t>(k)];
  p.Text(50, y,
         std::string(ra.field(970, 3)) + "-" + std::string(ra.field(976, 3)) + " " + Fmt("%4.1f", level) + " " +
             (ability < 0 ? std::string(" ") : Fmt("%4.1f", ability)),
         f8, colour(kBlack));
  y += CardLine(f9.size);
  // 6: jockey, weight carried, horse weight and change, prize money.
  const long long prize = (se.fieldInt(366, 8) + se.fieldInt(374, 8)) / 100;
  p.Text(x, y,
         std::string(se.field(307, 8)) + std::string(se.field(289, 3)) + " " + BodyWeightText(se.field(325, 3)) + "k" +
             SignedChange(se.field(328, 1), se.field(329, 3)) + " " +
             std::string(TrimBlanks(FmtInt("%7lld", prize) + CT().man)),
         f8, colour(kBlack));
  y += CardLine(f8.size);
  // 7: the other horse at the front and the time difference.
  p.Text(x, y, Stripped(se.field(404, 36)) + TimeDiffText(se.field(532, 4)), f8, colour(kBlack));
}

}  // namespace

PaintList RaceCardCell(const RaceInfo& race, int runner, int col, int width, int height, SurfaceFilter surface,
                       DistanceFilter distance) {
  PaintList p;
  if (runner < 1 || runner > MaxRunners) return p;
  const int h = runner - 1;
  const Runner& r = race.Runners[static_cast<size_t>(h)];
  const SeImage& se = r.SeRecord;
  const UmImage& um = r.UmRecord;
  const bool out = IsScratched(race, h);
  const Rgb ink = out ? kGrey : kBlack;
  const int x = 2;
  int y = 1;
  const PaintFont f7 = Font(7), f8 = Font(8), f11b = Font(11, true), f13 = Font(13), f13b = Font(13, true);
  switch (col) {
    case 0: {
      const int b = static_cast<int>(se.fieldInt(28, 1));
      p.Fill(0, 0, width, height, BracketColour(b));
      p.Text(x, y, b ? FmtInt("%2lld", b) : " ", f13, BracketTextColour(b));
      break;
    }
    case 1: {
      p.Fill(0, 0, width, height, kInfoBackground);
      const long long n = se.fieldInt(29, 2);
      p.Text(x, y, n ? FmtInt("%2lld", n) : " ", f13b, out ? kGrey : kBlack);
      if (out) p.Text(x, y + LineHeight(f13b.size) + 4, ScratchShortName(race, h), f8, kRed);
      break;
    }
    case 2: {
      const Rgb background = out ? kSilver : ResultHighlight(static_cast<int>(se.fieldInt(335, 2)));
      p.Fill(0, 0, width, height, background);
      const std::string sire = CT().sire + Stripped(um.field(215, 36));
      p.Text(x, y, sire, f8, ink);
      // 80 pixels from the right edge, or after a long sire's name rather than over it.
      const int at = std::max(width - 80, x + TextWidth(sire, f8.size) + 6);
      p.Text(at, y, SexName(se.field(79, 1)) + PadNumber(se.field(83, 2)) + " " + CoatColourName(se.field(81, 2)),
             f8, ink);
      // The bold name's tall letters reach above its line: two more pixels over it.
      y += CardLine(f8.size) + 2;
      p.Text(x, y, HorseSymbolName(static_cast<int>(se.fieldInt(77, 2))) + Stripped(se.field(41, 36)), f11b, ink);
      y += CardLine(f11b.size);
      p.Text(x, y, CT().dam + Stripped(um.field(261, 36)), f8, ink);
      y += CardLine(f8.size);
      p.Text(x, y,
             std::string(se.field(307, 8)) + " " + TenthsText(se.field(289, 3)) + "kg " + std::string(se.field(91, 8)),
             f8, ink);
      y += CardLine(f8.size);
      long long all = 0;
      for (size_t pos = 1053; pos <= 1098; pos += 9) all += um.fieldInt(pos, 9);
      std::string prize = " ";
      if (um.fieldInt(1053, 9) + um.fieldInt(1062, 9) >= 1) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "%7lld", (um.fieldInt(1089, 9) + um.fieldInt(1098, 9)) / 10);
        prize = CT().prize + buf + CT().thousand;
        std::snprintf(buf, sizeof buf, "%7lld", all / 10);
        prize += CT().total + buf + CT().thousand;
      }
      p.Text(x, y, prize, f7, ink);
      break;
    }
    case 3: {
      const auto c = Counts(um, std::vector<size_t>{1107});
      const int n = Total(c);
      if (n == 0) break;
      p.Text(x, y, CT().win + FmtInt("%2lld", RateScore(n, c[0])) + CT().percent, f8);
      y += CardLine(f8.size);
      p.Text(x, y, CT().top2 + FmtInt("%2lld", RateScore(n, c[0] + c[1])) + CT().percent, f8);
      y += CardLine(f8.size);
      p.Text(x, y, CT().top3 + FmtInt("%2lld", RateScore(n, c[0] + c[1] + c[2])) + CT().percent, f8);
      y += CardLine(f8.size);
      p.Text(x, y, CT().nige + PadNumber(um.field(1593, 3)) + CT().saki + PadNumber(um.field(1596, 3)), f8);
      y += CardLine(f8.size);
      p.Text(x, y, CT().sashi + PadNumber(um.field(1599, 3)) + CT().oi + PadNumber(um.field(1602, 3)), f8);
      break;
    }
    case 4:
    case 5: {
      p.Fill(0, 0, width, height, kPaleCyan);
      if (IsBlank(um.field(3, 1))) break;
      for (const CountLine& line : col == 4 ? CT().record : CT().distance) {
        p.Text(x, y, line.label + CountsText(Counts(um, line.groups)), f8, line.colour);
        y += CardLine(f8.size);
      }
      break;
    }
    default:
      if (col >= 6 && col <= 25) {
        p.Fill(0, 0, width, height, kWhite);
        PastRunCell(p, race, h, col - 6, width, surface, distance);
      }
      break;
  }
  p.Line(0, height - 1, width, height - 1, PaintPen{});
  return p;
}

int RaceCardColumnWidth(const RaceInfo& race, int runners, int col, int base, int height, SurfaceFilter surface,
                        DistanceFilter distance) {
  int width = base;
  // Texts placed from the right edge follow a wider cell, so a second pass settles it.
  for (int pass = 0; pass < 3; ++pass) {
    int needed = width;
    for (int n = 1; n <= runners && n <= MaxRunners; ++n) {
      const PaintList cell = RaceCardCell(race, n, col, width, height, surface, distance);
      for (const PaintOp& op : cell.ops())
        if (op.kind == PaintOp::Kind::Text) needed = std::max(needed, op.x1 + TextWidth(op.text, op.font.size) + 2);
    }
    if (needed == width) break;
    width = needed;
  }
  return width;
}

}  // namespace zelkova
