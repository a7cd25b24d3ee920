#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "base/cp932.h"
#include "racedata/code_tables.h"

namespace zelkova {
namespace {

// Results are CP932; compare them as UTF-8 so failures read as text.
std::string U(const std::string& cp932) { return Cp932ToUtf8Lossy(cp932); }

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
  EXPECT_EQ(U(PrefixedCount("+", "000")), "ナシ");
  EXPECT_EQ(PrefixedCount("+", "999"), Spaces(4));
  EXPECT_EQ(PrefixedCount("+", "   "), Spaces(4));
  EXPECT_EQ(PrefixedCount("+", "012"), "+ 12");
  EXPECT_EQ(SignedChange("+", "000"), "+-0");
  EXPECT_EQ(SignedChange("-", "999"), "-");
  EXPECT_EQ(SignedChange("+", "   "), "-");
  EXPECT_EQ(SignedChange("+", "1x2"), "-");
  EXPECT_EQ(SignedChange("-", "006"), "-6");
  EXPECT_EQ(SignedChange("+", "012"), "+12");
}

TEST(TimeFormat, AddMinutesWrapsAroundTheClock) {
  EXPECT_EQ(AddMinutes("1540", -30), "1510");
  EXPECT_EQ(AddMinutes("1005", -37), "0928");
  EXPECT_EQ(AddMinutes("0955", 10), "1005");
  EXPECT_EQ(AddMinutes("0010", -30), "2340");
  EXPECT_EQ(AddMinutes("2350", 30), "0020");
  EXPECT_EQ(AddMinutes("0000", -24 * 60 * 3 - 1), "2359");
  EXPECT_EQ(AddMinutes("1200", INT_MIN).size(), 4u);
  EXPECT_EQ(AddMinutes("1200", INT_MAX).size(), 4u);
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
  EXPECT_EQ(U(StripWideSpaces(Sj("　東京　優駿　"))), "東京優駿");
  // "メ" is 0x83 0x81: its trail byte followed by "@" must not be taken for "　" (0x81 0x40).
  EXPECT_EQ(U(StripWideSpaces(Sj("メ@"))), "メ@");
  EXPECT_EQ(StripWideSpaces("ab \x81"), "ab \x81");
}

TEST(TextEdit, ReplaceAtOverwritesInPlaceAndKeepsCharactersWhole) {
  EXPECT_EQ(ReplaceAt("abcdef", "XY", 3), "abXYef");
  EXPECT_EQ(ReplaceAt("abcdef", "XYZ", 5), "abcdXY");  // keeps the length
  EXPECT_EQ(ReplaceAt("abc", "X", 0), "abc");
  EXPECT_EQ(ReplaceAt("abc", "X", 4), "abc");
  // A double-byte insertion that does not fit is dropped whole, not halved.
  EXPECT_EQ(U(ReplaceAt("abc", Sj("東"), 3)), "ab ");
  // Overwriting half of a double-byte character leaves a space, not an orphan byte.
  std::string r = ReplaceAt(Sj("東京"), "x", 2);
  EXPECT_TRUE(IsValidCp932(r));
  EXPECT_EQ(U(r), " x" + U(Sj("京")));
}

TEST(ClassLabels, RaceClassLabel) {
  EXPECT_EQ(U(RaceClassLabel("999", "A", Sj("東京優駿"))), "GⅠ東京優駿");
  EXPECT_EQ(U(RaceClassLabel("999", "L", Sj("福島民友C"))), "Lst福島民友C");
  EXPECT_EQ(U(RaceClassLabel("999", "E", Sj("　　　　"))), "ｵｰﾌﾟﾝ");
  EXPECT_EQ(U(RaceClassLabel("999", "E", "        ")), "ｵｰﾌﾟﾝ");
  EXPECT_EQ(U(RaceClassLabel("999", " ", Sj("天皇賞"))), "天皇賞");
  EXPECT_EQ(U(RaceClassLabel("703", " ", "")), "未勝利");
  EXPECT_EQ(U(RaceClassLabel("005", "E", Sj("特別名"))), "1勝ｸﾗｽ");
  EXPECT_EQ(U(RaceClassLabel("007", " ", "")), " 700下");
  EXPECT_EQ(U(RaceClassLabel("000", " ", "")), " ");
  EXPECT_EQ(U(RaceClassLabel("   ", "D", "")), "重賞");
  EXPECT_EQ(U(RaceClassLabel("   ", "E", Sj("　"))), "特別");
  EXPECT_EQ(U(RaceClassLabel("   ", "E", Sj("銀嶺S"))), "銀嶺S");
  EXPECT_EQ(U(RaceClassLabel("x9!", " ", "")), " ");
}

TEST(ClassLabels, AgeAndConditionTexts) {
  EXPECT_EQ(U(AgeClassLabel("11", "701")), "2歳新馬");
  EXPECT_EQ(U(AgeClassLabel("19", "999")), "障4歳上ｵｰﾌﾟﾝ");
  EXPECT_EQ(U(AgeClassLabel("13", "100")), "3歳上10000");
  EXPECT_EQ(U(AgeClassLabel("  ", "005")), "1勝ｸﾗｽ");
  EXPECT_EQ(AgeClassLabel("ab", "xyz"), "");
  EXPECT_EQ(U(AgeClassCsv("18", "016")), "3歳上3勝ｸﾗｽ");
  EXPECT_EQ(U(AgeClassCsv("19", "999")), "4歳上ｵｰﾌﾟﾝ");
  EXPECT_EQ(U(AgeClassCsv("14", "100")), "4歳上");
  EXPECT_EQ(U(ConditionName(100)), "1億下");
  EXPECT_EQ(U(ConditionName(999)), "オープン");
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
      EXPECT_EQ(U(CourseName(c)), "海外  ") << c;
    }
  }
}

TEST(VariantTables, CourseNames) {
  EXPECT_EQ(U(CourseNameW("07", 1)), "名");
  EXPECT_EQ(U(CourseNameW("48", 1)), "古");
  EXPECT_EQ(U(CourseNameW("61", 1)), "名");
  EXPECT_EQ(U(CourseNameW("01", 9)), "札幌競馬場　　　　　");
  EXPECT_EQ(U(CourseNameW("05", 2)), "東京");
  EXPECT_EQ(U(CourseNameW("32", 0)), "岩見沢");
  EXPECT_EQ(U(CourseNameW("30", 3)), "門別  ");
  EXPECT_EQ(U(CourseNameW("49", 0)), "紀三井");
  EXPECT_EQ(U(CourseNameW("49", 3)), "紀三寺");
  EXPECT_EQ(U(CourseNameW("49", 9)), "紀三井寺競馬場　　　");
  EXPECT_EQ(U(CourseNameW("61", 9)), "中京競馬場(地方競馬)");
  EXPECT_EQ(U(CourseNameW("A4", 0)), "ｱﾒﾘｶ  ");
  EXPECT_EQ(U(CourseNameW("G0", 0)), "香港  ");
  EXPECT_EQ(U(CourseNameW("B4", 9)), "ニュージーランド　　");
  EXPECT_EQ(U(CourseNameW("F0", 3)), "韓国  ");
  EXPECT_EQ(U(CourseNameW("I4", 1)), "チ");
  EXPECT_EQ(CourseNameW("C4", 1), "  ");
  EXPECT_EQ(CourseNameW("99", 2), "    ");
  EXPECT_EQ(CourseNameW("\x82", 1), "  ");
  EXPECT_EQ(CourseNameW("05", 5), "");
  EXPECT_EQ(U(CourseName("09")), "阪神  ");
  EXPECT_EQ(U(CourseName("44")), "地方  ");
  EXPECT_EQ(CourseName("62"), Spaces(6));
  EXPECT_EQ(CourseName("  "), Spaces(6));
  EXPECT_EQ(CourseName("A1"), Spaces(6));
}

TEST(VariantTables, OtherVariantsAndDefaults) {
  EXPECT_EQ(U(GoingName("2", 0)), "稍重");
  EXPECT_EQ(U(GoingName("4", 2)), "ダ:不良");
  EXPECT_EQ(GoingName("0", 1), "");
  EXPECT_EQ(GoingName("1", 3), "");
  EXPECT_EQ(U(AffiliationName("3", 4)), "地方招待馬");
  EXPECT_EQ(U(AffiliationName("2", 7)), "栗");
  EXPECT_EQ(U(AffiliationName(" ", 1)), "－");
  EXPECT_EQ(AffiliationName("1", 8), "");
  EXPECT_EQ(U(ApprenticeMark("9", 1)), "◇");
  EXPECT_EQ(U(ApprenticeMark("9", 2)), "2kg減");
  EXPECT_EQ(U(ApprenticeMark("0", 1)), "　");
  EXPECT_EQ(U(ApprenticeMark("0", 9)), "－");
  EXPECT_EQ(U(WeekdayName(3, 2)), "祝日");
  EXPECT_EQ(U(WeekdayName(1, 3)), "土曜日");
  EXPECT_EQ(U(WeekdayName(7, 4)), "日曜日");
  EXPECT_EQ(WeekdayName(8, 4), "");
  EXPECT_EQ(WeekdayName(9, 1), "");
  EXPECT_EQ(WeekdayName(1, 5), "");
  EXPECT_EQ(U(RaceTypeName("18", 9)), "サラブレット系障害3歳以上");
  EXPECT_EQ(RaceTypeName("11", 3), "");
  EXPECT_EQ(U(GradeName("D", 2)), "");
  EXPECT_EQ(U(GradeName("L", 9)), "リステッド　　　　");
}

TEST(SmallTables, CodesBlanksAndGarbage) {
  EXPECT_EQ(U(CoatColourName("07")), "芦毛");
  EXPECT_EQ(U(CoatColourName("12")), "－");
  EXPECT_EQ(U(CoatColourName("  ")), "－");
  EXPECT_EQ(U(WeightRuleName("1")), "ﾊﾝﾃﾞ");
  EXPECT_EQ(U(AbnormalityName("7")), "降着　　");
  EXPECT_EQ(ScratchName("3"), Spaces(8));
  EXPECT_EQ(U(ReasonName("002")), "[事故]");
  EXPECT_EQ(U(ReasonName("   ")), "[その他]");
  EXPECT_EQ(U(WeatherName("4")), "小雨");
  EXPECT_EQ(U(SexName("3")), "ｾﾝ");
  EXPECT_EQ(SexName("-1"), "");
  EXPECT_EQ(BlinkerMark("1"), "B");
  EXPECT_EQ(BlinkerMark("B"), " ");
  EXPECT_EQ(U(CircledNumber(1)), "①");
  EXPECT_EQ(U(CircledNumber(10)), "⑩");
  EXPECT_EQ(U(CircledNumber(18)), "⑱");
  EXPECT_EQ(U(CircledNumber(19)), "－");
  EXPECT_EQ(U(CircledNumberText("07")), "⑦");
  EXPECT_EQ(U(CircledNumberText("7a")), "－");
  EXPECT_EQ(U(RaceSymbolName("A01")), "(混合)(指定)　　　　　　");
  EXPECT_EQ(U(RaceSymbolName("K03")), "(市)(抽)関西配布馬[指定]");
  EXPECT_EQ(U(HorseSymbolName(41)), "(父)(外)[地]");
  EXPECT_EQ(U(HorseSymbolName(13)), "　");
  EXPECT_EQ(U(TrackName(13)), "芝 左回り 内→外回り");
  EXPECT_EQ(U(TrackName(51)), "障害 芝　襷");
  EXPECT_EQ(TrackName(30), "");
  EXPECT_EQ(U(TrackShort(16)), "芝左");
  EXPECT_EQ(U(TrackShort(29)), "ダ直");
}

TEST(CsvForms, ShortTexts) {
  EXPECT_EQ(U(GradeCsv("F")), "ＪＧ１");
  EXPECT_EQ(U(GradeCsv("L")), "　　");
  EXPECT_EQ(U(WeightRuleCsv("1")), "ハンデ");
  EXPECT_EQ(U(WeightRuleCsv("x")), "　　");
  EXPECT_EQ(U(GoingCsv("2")), "稍");
  EXPECT_EQ(U(GoingCsv("")), "　");
  EXPECT_EQ(U(SurfaceCsv(22)), "芝");
  EXPECT_EQ(U(SurfaceCsv(29)), "ダ");
  EXPECT_EQ(SurfaceCsv(25), "");
  EXPECT_EQ(U(DirectionCsv(23)), "左");
  EXPECT_EQ(U(DirectionCsv(17)), "右");
  EXPECT_EQ(U(DirectionCsv(55)), "障");
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

}  // namespace
}  // namespace zelkova
