#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "base/cp932.h"
#include "records/code_tables.h"

namespace zelkova {
namespace {

std::string U(const std::string& cp932) { return Cp932ToUtf8Lossy(cp932); }

std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", c);
    out += buf;
  }
  return out;
}

// Compares CP932 bytes exactly (fill characters included) and reports both sides as text and hex.
::testing::AssertionResult SjEq(const char* actualExpr, const char*, const std::string& actual, const char* utf8) {
  const std::string expected = Sj(utf8);
  if (actual == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actualExpr << "\n  is       \"" << U(actual) << "\" [" << Hex(actual)
                                       << "]\n  expected \"" << utf8 << "\" [" << Hex(expected) << "]";
}
#define EXPECT_SJ(actual, utf8) EXPECT_PRED_FORMAT2(SjEq, actual, utf8)

std::string Spaces(size_t n) { return std::string(n, ' '); }

TEST(NumberFormat, PadNumberKeepsFieldWidthAndBlanksZero) {
  EXPECT_EQ(PadNumber("00"), "  ");
  EXPECT_EQ(PadNumber("07"), " 7");
  EXPECT_EQ(PadNumber("0480"), " 480");
  EXPECT_EQ(PadNumber(" 12"), " 12");
  // Unreadable fields are blanks of the same width, never a thrown error.
  EXPECT_EQ(PadNumber("a1"), "  ");
  EXPECT_EQ(PadNumber(Sj("１２")), Spaces(4));
  EXPECT_EQ(PadNumber(""), "");
}

TEST(NumberFormat, HundredsAndTenths) {
  EXPECT_EQ(PadHundreds("00123456"), " 1234");  // prize in 100 yen -> 10,000 yen, width 8-3
  EXPECT_EQ(PadHundreds("00000099"), Spaces(5));
  EXPECT_EQ(PadHundreds("99"), "  ");
  EXPECT_EQ(TenthsText("550"), "55.0");
  EXPECT_EQ(TenthsText("005"), " 0.5");
  EXPECT_EQ(TenthsText("345"), "34.5");
  EXPECT_EQ(TenthsText("000"), Spaces(3));
  EXPECT_EQ(TenthsText("x5y"), Spaces(3));
}

TEST(NumberFormat, CountsAndWeightChanges) {
  EXPECT_SJ(PrefixedCount("+", "000"), "ナシ");
  EXPECT_EQ(PrefixedCount("+", "999"), Spaces(4));
  EXPECT_EQ(PrefixedCount("+", "   "), Spaces(4));
  EXPECT_EQ(PrefixedCount("+", "012"), "+ 12");
  EXPECT_EQ(SignedChange("+", "000"), "+-0");
  EXPECT_EQ(SignedChange("-", "999"), "-");
  EXPECT_EQ(SignedChange("+", "   "), "-");
  EXPECT_EQ(SignedChange("+", "1x2"), "-");
  EXPECT_EQ(SignedChange("-", "006"), "-6");
  EXPECT_EQ(SignedChange("+", "012"), "+12");
  // Body weights: 999 (not weighed) and 000 (scratched) are no weight; only 000 is a scratch.
  EXPECT_EQ(BodyWeightText("486"), "486");
  EXPECT_EQ(BodyWeightText("999"), Spaces(3));
  EXPECT_EQ(BodyWeightText("000"), Spaces(3));
  EXPECT_EQ(BodyWeightKg("999") + BodyWeightKg("000") + BodyWeightKg("4x6") + BodyWeightKg("   "), 0);
  EXPECT_TRUE(WeightSaysScratched("000"));
  EXPECT_FALSE(WeightSaysScratched("999") || WeightSaysScratched("   ") || WeightSaysScratched("486"));
}

// Results are compared with the clock as text on the same day, so they stay four digits.
TEST(TimeFormat, AddMinutesStaysOnTheSameDay) {
  EXPECT_EQ(AddMinutes("1540", -30), "1510");
  EXPECT_EQ(AddMinutes("1005", -37), "0928");
  EXPECT_EQ(AddMinutes("0955", 10), "1005");
  EXPECT_EQ(AddMinutes("1000", 0), "1000");
  EXPECT_EQ(AddMinutes("0030", -30), "0000");
  // Before midnight: already due, never "00-20".
  EXPECT_EQ(AddMinutes("0010", -30), "0000");
  EXPECT_EQ(AddMinutes("0000", -24 * 60 * 3 - 1), "0000");
  // Past midnight the hours go on, so a text comparison with today's clock never reaches it.
  EXPECT_EQ(AddMinutes("2350", 30), "2420");
  EXPECT_EQ(AddMinutes("0975", 0), "1015");
  EXPECT_EQ(AddMinutes("9959", 1), "9959");
  EXPECT_EQ(AddMinutes("1200", INT_MIN), "0000");
  EXPECT_EQ(AddMinutes("1200", INT_MAX), "9959");
  EXPECT_EQ(AddMinutes("    ", 5), "");
  EXPECT_EQ(AddMinutes("12:0", 5), "");
  EXPECT_EQ(AddMinutes("930", 5), "");
}

TEST(TimeFormat, TimeDiffText) {
  EXPECT_EQ(TimeDiffText("9999"), Spaces(5));
  EXPECT_EQ(TimeDiffText("0000"), Spaces(5));
  EXPECT_EQ(TimeDiffText("+999"), Spaces(5));
  EXPECT_EQ(TimeDiffText("    "), Spaces(5));
  EXPECT_EQ(TimeDiffText("-003"), "- 0.3");
  EXPECT_EQ(TimeDiffText("+005"), "+ 0.5");
  EXPECT_EQ(TimeDiffText("+123"), "+12.3");
  EXPECT_EQ(TimeDiffText("+1"), Spaces(5));
  EXPECT_EQ(TimeDiffText("+1a3"), Spaces(5));
  EXPECT_EQ(TimeDiffText("-0053"), "- 0.5");  // only the field's four characters count
  EXPECT_EQ(TimeDiffText(" 010"), "  1.0");
  EXPECT_EQ(TimeDiffText("0012"), "0 1.2");  // an odd sign is shown as it stands
  EXPECT_EQ(TimeDiffText("\x1b" "012"), Spaces(5));
  EXPECT_EQ(TimeDiffText("\x82\xa0" "12"), Spaces(5));
}

TEST(TimeFormat, RunTimeText) {
  EXPECT_EQ(RunTimeText("0595"), "  59.5");
  EXPECT_EQ(RunTimeText(" 595"), "  59.5");
  EXPECT_EQ(RunTimeText("1234"), "1.23.4");
  EXPECT_EQ(RunTimeText("0000"), Spaces(6));
  EXPECT_EQ(RunTimeText("    "), Spaces(6));
  EXPECT_EQ(RunTimeText("123"), Spaces(6));
  EXPECT_EQ(RunTimeText("12345"), Spaces(6));
  EXPECT_EQ(RunTimeText("1a34"), Spaces(6));
}

TEST(TextEdit, StripWideSpacesRespectsDoubleByteCharacters) {
  EXPECT_SJ(StripWideSpaces(Sj("　東京　優駿　")), "東京優駿");
  // "メ" is 0x83 0x81: its trail byte followed by "@" must not be taken for "　" (0x81 0x40).
  EXPECT_SJ(StripWideSpaces(Sj("メ@")), "メ@");
  EXPECT_EQ(StripWideSpaces("ab \x81"), "ab \x81");
}

TEST(TextEdit, ReplaceAtOverwritesInPlaceAndKeepsCharactersWhole) {
  EXPECT_EQ(ReplaceAt("abcdef", "XY", 3), "abXYef");
  EXPECT_EQ(ReplaceAt("abcdef", "XYZ", 5), "abcdXY");  // keeps the length
  EXPECT_EQ(ReplaceAt("abc", "X", 0), "abc");
  EXPECT_EQ(ReplaceAt("abc", "X", 4), "abc");
  // A double-byte insertion that does not fit is dropped whole, not halved.
  EXPECT_SJ(ReplaceAt("abc", Sj("東"), 3), "ab ");
  // Overwriting half of a double-byte character leaves a space, not an orphan byte.
  std::string r = ReplaceAt(Sj("東京"), "x", 2);
  EXPECT_TRUE(IsValidCp932(r));
  EXPECT_SJ(r, " x京");
}

TEST(ClassLabels, RaceClassLabel) {
  EXPECT_SJ(RaceClassLabel("999", "A", Sj("東京優駿")), "GⅠ東京優駿");
  EXPECT_SJ(RaceClassLabel("999", "L", Sj("福島民友C")), "Lst福島民友C");
  EXPECT_SJ(RaceClassLabel("999", "E", Sj("　　　　")), "ｵｰﾌﾟﾝ");
  EXPECT_SJ(RaceClassLabel("999", "E", "        "), "ｵｰﾌﾟﾝ");
  EXPECT_SJ(RaceClassLabel("999", " ", Sj("天皇賞")), "天皇賞");
  EXPECT_SJ(RaceClassLabel("703", " ", ""), "未勝利");
  EXPECT_SJ(RaceClassLabel("005", "E", Sj("特別名")), "1勝ｸﾗｽ");
  EXPECT_SJ(RaceClassLabel("007", " ", ""), " 700下");
  EXPECT_SJ(RaceClassLabel("000", " ", ""), " ");
  EXPECT_SJ(RaceClassLabel("   ", "D", ""), "重賞");
  EXPECT_SJ(RaceClassLabel("   ", "E", Sj("　")), "特別");
  EXPECT_SJ(RaceClassLabel("   ", "E", Sj("銀嶺S")), "銀嶺S");
  EXPECT_SJ(RaceClassLabel("x9!", " ", ""), " ");
}

TEST(ClassLabels, AgeAndConditionTexts) {
  EXPECT_SJ(AgeClassLabel("11", "701"), "2歳新馬");
  EXPECT_SJ(AgeClassLabel("19", "999"), "障4歳上ｵｰﾌﾟﾝ");
  EXPECT_SJ(AgeClassLabel("13", "100"), "3歳上10000");
  EXPECT_SJ(AgeClassLabel("  ", "005"), "1勝ｸﾗｽ");
  EXPECT_EQ(AgeClassLabel("ab", "xyz"), "");
  EXPECT_SJ(AgeClassCsv("18", "016"), "3歳上3勝ｸﾗｽ");
  EXPECT_SJ(AgeClassCsv("19", "999"), "4歳上ｵｰﾌﾟﾝ");
  EXPECT_SJ(AgeClassCsv("14", "100"), "4歳上");
  EXPECT_SJ(ConditionName(100), "1億下");
  EXPECT_SJ(ConditionName(999), "オープン");
  EXPECT_EQ(ConditionName(-1), "");
}

// Grid and print columns have fixed widths: every code of a variant must fill the same bytes.
void ExpectWidth(const std::string& what, const std::string& text, size_t width) {
  EXPECT_EQ(text.size(), width) << what << " -> \"" << U(text) << "\"";
  EXPECT_TRUE(IsValidCp932(text)) << what;
}

TEST(VariantTables, WidthsAreConstantPerVariant) {
  const char* raceTypes[] = {"11", "12", "13", "14", "18", "19", "21", "22", "23", "24"};
  for (const char* c : raceTypes) {
    ExpectWidth(std::string("RaceType2 ") + c, RaceTypeName(c, 2), 4);
    for (auto [v, w] : {std::pair{4, 8}, {6, 12}, {8, 16}, {9, 25}})
      ExpectWidth("RaceType" + std::to_string(v) + " " + c, RaceTypeName(c, v), w);
  }
  for (auto [v, w] : {std::pair{4, 8}, {6, 12}, {8, 16}, {9, 25}})
    ExpectWidth("RaceType default " + std::to_string(v), RaceTypeName("99", v), w);
  for (const char* g : {"A", "B", "C", "D", "E", "F", "G", "H", "L", " ", "Z"})
    for (auto [v, w] : {std::pair{1, 5}, {8, 3}, {9, 18}}) ExpectWidth("Grade" + std::to_string(v) + g, GradeName(g, v), w);
  for (int d = 0; d <= 8; ++d)
    for (int v = 1; v <= 3; ++v) ExpectWidth("Weekday" + std::to_string(v), WeekdayName(d, v), 2 * v);
  for (int d = 1; d <= 7; ++d) ExpectWidth("Weekday4", WeekdayName(d, 4), 6);
  for (const char* c : {"001", "A02", "K03", "N44", "999", "   ", "?"}) ExpectWidth(c, RaceSymbolName(c), 24);
  for (int c = 0; c <= 8; ++c) ExpectWidth("Abnormality", AbnormalityName(std::to_string(c)), 8);
}

TEST(VariantTables, CourseWidthsHoldForEveryRacecourseAndCountry) {
  std::vector<std::string> codes;
  for (int c = 1; c <= 10; ++c) codes.push_back((c < 10 ? "0" : "") + std::to_string(c));
  for (int c = 30; c <= 61; ++c) codes.push_back(std::to_string(c));
  const char* countries[] = {"A0", "A2", "A4", "A6", "A8", "B0", "B2", "B4", "B6", "B8", "C0", "C2", "C4", "C5",
                             "C6", "C7", "C8", "D0", "D2", "D4", "D6", "D8", "E0", "E2", "E4", "E6", "E8", "F0",
                             "F1", "F2", "F4", "F6", "F8", "G0", "G2", "G4", "G6", "G8", "H0", "H2", "H4", "H6",
                             "H8", "I0", "I2", "I4", "I6", "I8", "J0", "J2", "J4", "J6", "J8", "K0", "K2", "K4",
                             "K6", "K8", "L0", "L2", "L4", "L6", "L8", "M0", "M2", "M4", "M6", "M8", "N0", "N2"};
  for (const char* c : countries) codes.push_back(c);
  std::set<std::string> shortNames;
  for (const std::string& c : codes) {
    ExpectWidth("v0 " + c, CourseNameW(c, 0), 6);
    ExpectWidth("v1 " + c, CourseNameW(c, 1), 2);
    ExpectWidth("v2 " + c, CourseNameW(c, 2), 4);
    ExpectWidth("v3 " + c, CourseNameW(c, 3), 6);
    ExpectWidth("CourseName " + c, CourseName(c), 6);
    bool blankCountry = c == "C4" || c == "F4" || c == "F6" || c == "G4" || c == "G6" || c == "G8";
    ExpectWidth("v9 " + c, CourseNameW(c, 9), blankCountry ? 6 : 20);
    if (c[0] >= 'A') {
      EXPECT_SJ(CourseName(c), "海外  ") << c;
    }
  }
}

TEST(VariantTables, CourseNames) {
  EXPECT_SJ(CourseNameW("07", 1), "名");
  EXPECT_SJ(CourseNameW("48", 1), "古");
  EXPECT_SJ(CourseNameW("61", 1), "名");
  EXPECT_SJ(CourseNameW("01", 9), "札幌競馬場　　　　　");
  EXPECT_SJ(CourseNameW("05", 2), "東京");
  EXPECT_SJ(CourseNameW("32", 0), "岩見沢");
  EXPECT_SJ(CourseNameW("30", 3), "門別  ");
  EXPECT_SJ(CourseNameW("49", 0), "紀三井");
  EXPECT_SJ(CourseNameW("49", 3), "紀三寺");
  EXPECT_SJ(CourseNameW("49", 9), "紀三井寺競馬場　　　");
  EXPECT_SJ(CourseNameW("61", 9), "中京競馬場(地方競馬)");
  EXPECT_SJ(CourseNameW("A4", 0), "ｱﾒﾘｶ  ");
  EXPECT_SJ(CourseNameW("G0", 0), "香港  ");
  EXPECT_SJ(CourseNameW("B4", 9), "ニュージーランド　　");
  EXPECT_SJ(CourseNameW("F0", 3), "韓国  ");
  EXPECT_SJ(CourseNameW("I4", 1), "チ");
  EXPECT_EQ(CourseNameW("C4", 1), "  ");
  EXPECT_EQ(CourseNameW("99", 2), "    ");
  EXPECT_EQ(CourseNameW("\x82", 1), "  ");
  EXPECT_EQ(CourseNameW("05", 5), "");
  EXPECT_SJ(CourseName("09"), "阪神  ");
  EXPECT_SJ(CourseName("44"), "地方  ");
  EXPECT_EQ(CourseName("62"), Spaces(6));
  EXPECT_EQ(CourseName("  "), Spaces(6));
  EXPECT_EQ(CourseName("A1"), Spaces(6));
}

TEST(VariantTables, OtherVariantsAndDefaults) {
  EXPECT_SJ(GoingName("2", 0), "稍重");
  EXPECT_SJ(GoingName("4", 2), "ダ:不良");
  EXPECT_EQ(GoingName("0", 1), "");
  EXPECT_EQ(GoingName("1", 3), "");
  EXPECT_SJ(AffiliationName("3", 4), "地方招待馬");
  EXPECT_SJ(AffiliationName("2", 7), "栗");
  EXPECT_SJ(AffiliationName(" ", 1), "－");
  EXPECT_EQ(AffiliationName("1", 8), "");
  EXPECT_SJ(ApprenticeMark("9", 1), "◇");
  EXPECT_SJ(ApprenticeMark("9", 2), "2kg減");
  EXPECT_SJ(ApprenticeMark("0", 1), "　");
  EXPECT_SJ(ApprenticeMark("0", 9), "－");
  EXPECT_SJ(WeekdayName(3, 2), "祝日");
  EXPECT_SJ(WeekdayName(1, 3), "土曜日");
  EXPECT_SJ(WeekdayName(7, 4), "日曜日");
  EXPECT_EQ(WeekdayName(8, 4), "");
  EXPECT_EQ(WeekdayName(9, 1), "");
  EXPECT_EQ(WeekdayName(1, 5), "");
  EXPECT_SJ(RaceTypeName("18", 9), "サラブレット系障害3歳以上");
  EXPECT_EQ(RaceTypeName("11", 3), "");
  EXPECT_SJ(GradeName("D", 2), "");
  EXPECT_SJ(GradeName("L", 9), "リステッド　　　　");
}

TEST(SmallTables, CodesBlanksAndGarbage) {
  EXPECT_SJ(CoatColourName("07"), "芦毛");
  EXPECT_SJ(CoatColourName("12"), "－");
  EXPECT_SJ(CoatColourName("  "), "－");
  EXPECT_SJ(WeightRuleName("1"), "ﾊﾝﾃﾞ");
  EXPECT_SJ(AbnormalityName("7"), "降着　　");
  EXPECT_EQ(ScratchName("3"), Spaces(8));
  EXPECT_SJ(ReasonName("002"), "[事故]");
  EXPECT_SJ(ReasonName("   "), "[その他]");
  EXPECT_SJ(WeatherName("4"), "小雨");
  EXPECT_SJ(SexName("3"), "ｾﾝ");
  EXPECT_EQ(SexName("-1"), "");
  EXPECT_EQ(BlinkerMark("1"), "B");
  EXPECT_EQ(BlinkerMark("B"), " ");
  EXPECT_SJ(CircledNumber(1), "①");
  EXPECT_SJ(CircledNumber(10), "⑩");
  EXPECT_SJ(CircledNumber(18), "⑱");
  EXPECT_SJ(CircledNumber(19), "－");
  EXPECT_SJ(CircledNumberText("07"), "⑦");
  EXPECT_SJ(CircledNumberText("7a"), "－");
  EXPECT_SJ(RaceSymbolName("A01"), "(混合)(指定)　　　　　　");
  EXPECT_SJ(RaceSymbolName("K03"), "(市)(抽)関西配布馬[指定]");
  EXPECT_SJ(HorseSymbolName(41), "(父)(外)[地]");
  EXPECT_SJ(HorseSymbolName(13), "　");
  EXPECT_SJ(TrackName(13), "芝 左回り 内→外回り");
  EXPECT_SJ(TrackName(51), "障害 芝　襷");
  EXPECT_EQ(TrackName(30), "");
  EXPECT_SJ(TrackShort(16), "芝左");
  EXPECT_SJ(TrackShort(29), "ダ直");
}

TEST(CsvForms, ShortTexts) {
  EXPECT_SJ(GradeCsv("F"), "ＪＧ１");
  EXPECT_SJ(GradeCsv("L"), "　　");
  EXPECT_SJ(WeightRuleCsv("1"), "ハンデ");
  EXPECT_SJ(WeightRuleCsv("x"), "　　");
  EXPECT_SJ(GoingCsv("2"), "稍");
  EXPECT_SJ(GoingCsv(""), "　");
  EXPECT_SJ(SurfaceCsv(22), "芝");
  EXPECT_SJ(SurfaceCsv(29), "ダ");
  EXPECT_EQ(SurfaceCsv(25), "");
  EXPECT_SJ(DirectionCsv(23), "左");
  EXPECT_SJ(DirectionCsv(17), "右");
  EXPECT_SJ(DirectionCsv(55), "障");
  EXPECT_EQ(DirectionCsv(0), "");
}

// Odds records store bracket and quinella odds in exactly this pair order.
TEST(BetCombos, BracketPairsInOrder) {
  EXPECT_EQ(BracketComboLabel(1), " 1- 1");
  EXPECT_EQ(BracketComboLabel(8), " 1- 8");
  EXPECT_EQ(BracketComboLabel(9), " 2- 2");
  EXPECT_EQ(BracketComboLabel(36), " 8- 8");
  EXPECT_EQ(BracketComboLabel(0), "");
  EXPECT_EQ(BracketComboLabel(37), "");
  int i = 0;
  for (int a = 1; a <= 8; ++a)
    for (int b = a; b <= 8; ++b) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%2d-%2d", a, b);
      EXPECT_EQ(BracketComboLabel(++i), buf);
    }
}

TEST(BetCombos, QuinellaLabelsAndIndexAreInverse) {
  int i = 0;
  for (int a = 1; a <= 18; ++a)
    for (int b = a + 1; b <= 18; ++b) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%2d-%2d", a, b);
      ++i;
      EXPECT_EQ(QuinellaComboLabel(i), buf);
      EXPECT_EQ(QuinellaComboIndex(buf), i);
    }
  EXPECT_EQ(i, 153);
  EXPECT_EQ(QuinellaComboIndex("17-18"), 153);
  EXPECT_EQ(QuinellaComboIndex(" 1- 2"), 1);
  EXPECT_EQ(QuinellaComboIndex("18-19"), 0);
  EXPECT_EQ(QuinellaComboIndex(" 1-19"), 0);
  EXPECT_EQ(QuinellaComboIndex(" 2- 1"), 0);
  EXPECT_EQ(QuinellaComboIndex(" 3- 3"), 0);
  EXPECT_EQ(QuinellaComboIndex("01-02"), 0);
  EXPECT_EQ(QuinellaComboIndex("1-2"), 0);
  EXPECT_EQ(QuinellaComboIndex(""), 0);
  EXPECT_EQ(QuinellaComboLabel(0), "");
  EXPECT_EQ(QuinellaComboLabel(154), "");
}

// The fill characters are part of every default: ideographic spaces where the column holds
// double-byte text, ASCII spaces elsewhere, and a single trailing ASCII space where the
// width is odd.
TEST(Defaults, UnknownCodesGiveTheTableFillText) {
  for (const char* unknown : {"99", "0", "  ", "", "x", "\x82\xa0"}) {
    SCOPED_TRACE(Hex(unknown));
    EXPECT_SJ(RaceTypeName(unknown, 2), "　　　　");
    EXPECT_SJ(RaceTypeName(unknown, 4), "　　　　");
    EXPECT_SJ(RaceTypeName(unknown, 6), "　　　　　　");
    EXPECT_SJ(RaceTypeName(unknown, 8), "　　　　　　　　");
    EXPECT_SJ(RaceTypeName(unknown, 9), "　　　　　　　　　　　　 ");
    EXPECT_SJ(GradeName(unknown, 1), "　　 ");
    EXPECT_SJ(GradeName(unknown, 9), "　　　　　　　　　");
    EXPECT_SJ(GradeName(unknown, 8), "　 ");
    EXPECT_EQ(GradeName(unknown, 2), "");
    EXPECT_EQ(CourseNameW(unknown, 0), Spaces(6));
    EXPECT_EQ(CourseNameW(unknown, 1), Spaces(2));
    EXPECT_EQ(CourseNameW(unknown, 2), Spaces(4));
    EXPECT_EQ(CourseNameW(unknown, 3), Spaces(6));
    EXPECT_EQ(CourseNameW(unknown, 9), Spaces(6));
    EXPECT_EQ(CourseName(unknown), Spaces(6));
    EXPECT_SJ(RaceSymbolName(unknown), "　　　　　　　　　　　　");
    EXPECT_SJ(CoatColourName(unknown), "－");
    EXPECT_EQ(WeightRuleName(unknown), "");
    EXPECT_EQ(AbnormalityName(unknown), Spaces(8));
    EXPECT_EQ(ScratchName(unknown), Spaces(8));
    EXPECT_SJ(ReasonName(unknown), "[その他]");
    EXPECT_EQ(WeatherName(unknown), "");
    EXPECT_EQ(SexName(unknown), "");
    EXPECT_EQ(BlinkerMark(unknown), " ");
    EXPECT_SJ(CircledNumberText(unknown), "－");
    EXPECT_EQ(GoingName(unknown, 0), "");
    EXPECT_EQ(GoingName(unknown, 1), "");
    for (int v = 1; v <= 7; ++v) EXPECT_SJ(AffiliationName(unknown, v), "－");
    EXPECT_SJ(ApprenticeMark(unknown, 1), "　");
    EXPECT_SJ(ApprenticeMark(unknown, 2), "－");
    EXPECT_SJ(ApprenticeMark(unknown, 9), "－");
    EXPECT_SJ(GradeCsv(unknown), "　　");
    EXPECT_SJ(WeightRuleCsv(unknown), "　　");
    EXPECT_SJ(GoingCsv(unknown), "　");
    EXPECT_EQ(AgeClassCsv(unknown, unknown), "");
    EXPECT_EQ(AgeClassLabel(unknown, unknown), "");
  }
  EXPECT_SJ(HorseSymbolName(0), "　");
  EXPECT_SJ(HorseSymbolName(-1), "　");
  EXPECT_EQ(ConditionName(0), "");
  EXPECT_EQ(TrackName(0), "");
  EXPECT_EQ(TrackShort(-5), "");
  EXPECT_SJ(CircledNumber(0), "－");
  EXPECT_SJ(CircledNumber(-1), "－");
  EXPECT_SJ(WeekdayName(0, 1), "　");
  EXPECT_SJ(WeekdayName(0, 2), "　　");
  EXPECT_SJ(WeekdayName(0, 3), "　　　");
  EXPECT_EQ(WeekdayName(0, 4), "");
  EXPECT_EQ(WeekdayName(-1, 1), "");
}

TEST(Defaults, UnlistedVariantsGiveEmptyText) {
  for (int v : {-1, 3, 5, 7, 10, 100}) EXPECT_EQ(RaceTypeName("11", v), "") << v;
  for (int v : {0, 3, 4, 5, 6, 7, 10}) EXPECT_EQ(GradeName("A", v), "") << v;
  for (int v : {0, 5, -1}) EXPECT_EQ(WeekdayName(1, v), "") << v;
  for (int v : {-1, 4, 5, 8, 10}) EXPECT_EQ(CourseNameW("05", v), "") << v;
  for (int v : {-1, 3}) EXPECT_EQ(GoingName("1", v), "") << v;
  for (int v : {0, 8}) EXPECT_EQ(AffiliationName("1", v), "") << v;
  for (int v : {0, 3, 8, 10}) EXPECT_EQ(ApprenticeMark("1", v), "") << v;
}

TEST(VariantTables, EveryRowOfTheVariantTablesExactly) {
  EXPECT_SJ(RaceTypeName("11", 2), "２歳");
  EXPECT_SJ(RaceTypeName("19", 2), "４上");
  EXPECT_SJ(RaceTypeName("22", 4), "アラ３歳");
  EXPECT_SJ(RaceTypeName("18", 4), "障害３上");
  EXPECT_SJ(RaceTypeName("13", 6), "サラ系３歳上");
  EXPECT_SJ(RaceTypeName("19", 6), "障害４歳上　");
  EXPECT_SJ(RaceTypeName("21", 8), "アラブ系２歳　　");
  EXPECT_SJ(RaceTypeName("14", 8), "サラ系４歳以上　");
  EXPECT_SJ(RaceTypeName("12", 9), "サラブレット系3歳　　　　");
  EXPECT_SJ(RaceTypeName("24", 9), "アラブ系4歳以上　　　　　");
  EXPECT_SJ(GradeName("A", 1), "G1   ");
  EXPECT_SJ(GradeName("D", 1), "重賞 ");
  EXPECT_SJ(GradeName("F", 1), "JG1  ");
  EXPECT_SJ(GradeName("L", 1), "List ");
  EXPECT_SJ(GradeName("B", 9), "G2(平地競走)　　　");
  EXPECT_SJ(GradeName("D", 9), "ｸﾞﾚｰﾄﾞのない重賞　");
  EXPECT_SJ(GradeName("E", 9), "重賞以外の特別競走");
  EXPECT_SJ(GradeName("H", 9), "JG3(障害競走)　　 ");
  EXPECT_SJ(GradeName("C", 8), "G3 ");
  EXPECT_SJ(GradeName("E", 8), "特 ");
  EXPECT_SJ(GradeName("G", 8), "JG2");
  EXPECT_SJ(GradeName("L", 8), "LST");
  EXPECT_SJ(GradeName("A", 2), "G1");
  EXPECT_SJ(GradeName("H", 2), "JG3");
  EXPECT_EQ(GradeName("E", 2), "");
  const char* days[] = {"土", "日", "祝", "月", "火", "水", "木", "金"};
  for (int d = 1; d <= 8; ++d) {
    std::string c = days[d - 1];
    EXPECT_SJ(WeekdayName(d, 1), c.c_str());
    EXPECT_SJ(WeekdayName(d, 2), (d == 3 ? "祝日" : c + "曜").c_str());
    EXPECT_SJ(WeekdayName(d, 3), (d == 3 ? "祝日　" : c + "曜日").c_str());
  }
  const char* monday[] = {"月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日", "日曜日"};
  for (int d = 1; d <= 7; ++d) EXPECT_SJ(WeekdayName(d, 4), monday[d - 1]);
  EXPECT_SJ(GoingName("1", 0), "良");
  EXPECT_SJ(GoingName("3", 1), "芝:重");
  EXPECT_SJ(GoingName("2", 2), "ダ:稍重");
  EXPECT_SJ(AffiliationName("1", 1), "東");
  EXPECT_SJ(AffiliationName("4", 1), "招待");
  EXPECT_SJ(AffiliationName("2", 2), "関西");
  EXPECT_SJ(AffiliationName("4", 2), "外国招待");
  EXPECT_SJ(AffiliationName("1", 3), "美浦");
  EXPECT_SJ(AffiliationName("3", 3), "招待");
  EXPECT_SJ(AffiliationName("2", 4), "関西馬");
  EXPECT_SJ(AffiliationName("4", 5), "[外]");
  EXPECT_SJ(AffiliationName("3", 6), "地方");
  EXPECT_SJ(AffiliationName("1", 7), "美");
  EXPECT_SJ(ApprenticeMark("1", 1), "☆");
  EXPECT_SJ(ApprenticeMark("4", 1), "★");
  EXPECT_SJ(ApprenticeMark("3", 2), "3kg減");
  EXPECT_SJ(ApprenticeMark("2", 9), "2kg減(△)");
  EXPECT_SJ(ApprenticeMark("9", 9), "2kg減(◇)");
}

// Callers hold some codes as numbers and some as record text; both must decode alike.
TEST(VariantTables, IntegerAndTextCodesAgree) {
  for (int code = -1; code <= 100; ++code) {
    char two[8];
    std::snprintf(two, sizeof two, "%02d", code);
    SCOPED_TRACE(code);
    for (int v : {2, 4, 6, 8, 9}) EXPECT_EQ(RaceTypeName(code, v), RaceTypeName(std::string_view(two), v));
    for (int v : {0, 1, 2, 3, 9}) EXPECT_EQ(CourseNameW(code, v), CourseNameW(std::string_view(two), v));
    for (int v = 0; v <= 2; ++v) EXPECT_EQ(GoingName(code, v), GoingName(std::to_string(code), v));
    for (int v = 1; v <= 7; ++v) EXPECT_EQ(AffiliationName(code, v), AffiliationName(std::to_string(code), v));
    for (int v : {1, 2, 9}) EXPECT_EQ(ApprenticeMark(code, v), ApprenticeMark(std::to_string(code), v));
    for (int v = 1; v <= 4; ++v) EXPECT_EQ(WeekdayName(std::to_string(code), v), WeekdayName(code, v));
  }
  EXPECT_SJ(CourseNameW(7, 1), "名");
  EXPECT_SJ(CourseNameW(44, 2), "大井");
  // A number beyond two digits must not wrap onto a listed racecourse.
  EXPECT_EQ(CourseNameW(105, 2), Spaces(4));
  EXPECT_EQ(CourseNameW(-5, 0), Spaces(6));
  // Codes as cut from a record may carry blanks.
  EXPECT_SJ(WeekdayName(" 2", 1), "日");
  EXPECT_SJ(RaceTypeName("11", 4), "サラ２歳");
}

}  // namespace
}  // namespace zelkova
