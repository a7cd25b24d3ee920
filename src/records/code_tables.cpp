// Class labels, the small decode tables, the tables with width variants, bet-combination labels
// and the CSV short forms. Every table is converted to CP932 once, at first use.
#include "records/code_tables.h"

#include <array>
#include <cstdio>

#include "records/code_util.h"

namespace zelkova {

using codes::CodeInt;
using codes::IntTable;
using codes::TextTable;

namespace {

// The name is "empty" when nothing but ASCII blanks and ideographic spaces is left.
bool NameIsEmpty(std::string_view name) { return TrimBlanks(StripWideSpaces(name)).empty(); }

const std::string& EmptyText() {
  static const std::string empty;
  return empty;
}

}  // namespace

// ---- Race class labels ----------------------------------------------------------------------

std::string RaceClassLabel(std::string_view condition3, std::string_view grade1, std::string_view name) {
  static const TextTable gradePrefix({{"A", "GⅠ"}, {"B", "GⅡ"}, {"C", "GⅢ"}, {"L", "Lst"}}, "");
  static const TextTable classText({{"701", "新馬"},
                                    {"702", "未出走"},
                                    {"703", "未勝利"},
                                    {"005", "1勝ｸﾗｽ"},
                                    {"010", "2勝ｸﾗｽ"},
                                    {"016", "3勝ｸﾗｽ"}},
                                   "");
  static const std::string open = Sj("ｵｰﾌﾟﾝ");
  static const std::string below = Sj("下");
  static const std::string graded = Sj("重賞");
  static const std::string special = Sj("特別");

  const std::string& prefix = gradePrefix.get(grade1);
  if (!prefix.empty()) return prefix + std::string(name);

  std::string_view c = TrimBlanks(condition3);
  std::string result;
  if (const std::string& cls = classText.get(c); !cls.empty()) {
    result = cls;
  } else if (c == "999") {
    result = NameIsEmpty(name) ? open : std::string(name);
  } else if (int v = CodeInt(c); v > 0) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%4lld", static_cast<long long>(v) * 100);
    result = buf + below;
  } else {
    // Blank, zero ("   0下") and unreadable conditions carry no class.
    result = " ";
  }
  if (result == " ") {
    std::string_view g = TrimBlanks(grade1);
    if (!NameIsEmpty(name)) return std::string(name);
    if (g == "D") return graded;
    if (g == "E") return special;
  }
  return result;
}

std::string AgeClassLabel(std::string_view raceType, std::string_view condition) {
  static const IntTable age({{11, "2歳"}, {12, "3歳"}, {13, "3歳上"}, {14, "4歳上"}, {18, "障3歳上"}, {19, "障4歳上"}},
                            "");
  static const IntTable cls({{5, "1勝ｸﾗｽ"},
                             {10, "2勝ｸﾗｽ"},
                             {16, "3勝ｸﾗｽ"},
                             {100, "10000"},
                             {701, "新馬"},
                             {702, "未出走"},
                             {703, "未勝利"},
                             {999, "ｵｰﾌﾟﾝ"}},
                            "");
  return age.get(raceType) + cls.get(condition);
}

std::string ConditionName(int code) {
  static const IntTable t({{5, "1勝ｸﾗｽ"},
                           {10, "2勝ｸﾗｽ"},
                           {16, "3勝ｸﾗｽ"},
                           {100, "1億下"},
                           {701, "新馬"},
                           {702, "未出走"},
                           {703, "未勝利"},
                           {999, "オープン"}},
                          "");
  return t.get(code);
}

// ---- Tables with variants -------------------------------------------------------------------

std::string RaceTypeName(std::string_view code, int variant) { return RaceTypeName(CodeInt(code), variant); }

std::string RaceTypeName(int code, int variant) {
  static const IntTable v2({{11, "２歳"}, {12, "３歳"}, {13, "３上"}, {14, "４上"}, {18, "３上"},
                            {19, "４上"}, {21, "２歳"}, {22, "３歳"}, {23, "３上"}, {24, "４上"}},
                           "　　　　");
  static const IntTable v4({{11, "サラ２歳"}, {12, "サラ３歳"}, {13, "サラ３上"}, {14, "サラ４上"}, {18, "障害３上"},
                            {19, "障害４上"}, {21, "アラ２歳"}, {22, "アラ３歳"}, {23, "アラ３上"}, {24, "アラ４上"}},
                           "　　　　");
  static const IntTable v6({{11, "サラ系２歳　"},
                            {12, "サラ系３歳　"},
                            {13, "サラ系３歳上"},
                            {14, "サラ系４歳上"},
                            {18, "障害３歳上　"},
                            {19, "障害４歳上　"},
                            {21, "アラ系２歳　"},
                            {22, "アラ系３歳　"},
                            {23, "アラ系３歳上"},
                            {24, "アラ系４歳上"}},
                           "　　　　　　");
  static const IntTable v8({{11, "サラ系２歳　　　"},
                            {12, "サラ系３歳　　　"},
                            {13, "サラ系３歳以上　"},
                            {14, "サラ系４歳以上　"},
                            {18, "サラ障害３歳以上"},
                            {19, "サラ障害４歳以上"},
                            {21, "アラブ系２歳　　"},
                            {22, "アラブ系３歳　　"},
                            {23, "アラブ系３歳以上"},
                            {24, "アラブ系４歳以上"}},
                           "　　　　　　　　");
  static const IntTable v9({{11, "サラブレット系2歳　　　　"},
                            {12, "サラブレット系3歳　　　　"},
                            {13, "サラブレット系3歳以上　　"},
                            {14, "サラブレット系4歳以上　　"},
                            {18, "サラブレット系障害3歳以上"},
                            {19, "サラブレット系障害4歳以上"},
                            {21, "アラブ系2歳　　　　　　　"},
                            {22, "アラブ系3歳　　　　　　　"},
                            {23, "アラブ系3歳以上　　　　　"},
                            {24, "アラブ系4歳以上　　　　　"}},
                           "　　　　　　　　　　　　 ");
  switch (variant) {
    case 2: return v2.get(code);
    case 4: return v4.get(code);
    case 6: return v6.get(code);
    case 8: return v8.get(code);
    case 9: return v9.get(code);
    default: return {};
  }
}

std::string GradeName(std::string_view code, int variant) {
  static const TextTable v1({{"A", "G1   "}, {"B", "G2   "}, {"C", "G3   "}, {"D", "重賞 "}, {"E", "特別 "},
                             {"F", "JG1  "}, {"G", "JG2  "}, {"H", "JG3  "}, {"L", "List "}},
                            "　　 ");
  static const TextTable v9({{"A", "G1(平地競走)　　　"},
                             {"B", "G2(平地競走)　　　"},
                             {"C", "G3(平地競走)　　　"},
                             {"D", "ｸﾞﾚｰﾄﾞのない重賞　"},
                             {"E", "重賞以外の特別競走"},
                             {"F", "JG1(障害競走)　　 "},
                             {"G", "JG2(障害競走)　　 "},
                             {"H", "JG3(障害競走)　　 "},
                             {"L", "リステッド　　　　"}},
                            "　　　　　　　　　");
  static const TextTable v8({{"A", "G1 "}, {"B", "G2 "}, {"C", "G3 "}, {"D", "重 "}, {"E", "特 "},
                             {"F", "JG1"}, {"G", "JG2"}, {"H", "JG3"}, {"L", "LST"}},
                            "　 ");
  static const TextTable v2({{"A", "G1"}, {"B", "G2"}, {"C", "G3"}, {"F", "JG1"}, {"G", "JG2"}, {"H", "JG3"},
                             {"L", "LST"}},
                            "");
  switch (variant) {
    case 1: return v1.get(code);
    case 2: return v2.get(code);
    case 8: return v8.get(code);
    case 9: return v9.get(code);
    default: return {};
  }
}

std::string WeekdayName(int code, int variant) {
  static const std::array<std::array<std::string, 9>, 4> table = [] {
    static const char* const chars[] = {"　", "土", "日", "祝", "月", "火", "水", "木", "金"};
    static const char* const monday[] = {"", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日", "日曜日", ""};
    std::array<std::array<std::string, 9>, 4> t;
    for (int i = 0; i < 9; ++i) {
      std::string c = Sj(chars[i]);
      t[0][i] = c;
      if (i == 0) {
        t[1][i] = Sj("　　");
        t[2][i] = Sj("　　　");
      } else if (i == 3) {
        t[1][i] = Sj("祝日");
        t[2][i] = Sj("祝日　");
      } else {
        t[1][i] = c + Sj("曜");
        t[2][i] = c + Sj("曜日");
      }
      t[3][i] = Sj(monday[i]);
    }
    return t;
  }();
  if (variant < 1 || variant > 4 || code < 0 || code > 8) return {};
  return table[variant - 1][code];
}

std::string WeekdayName(std::string_view code, int variant) { return WeekdayName(CodeInt(code), variant); }

std::string GoingName(std::string_view code, int variant) { return GoingName(CodeInt(code), variant); }

std::string GoingName(int code, int variant) {
  static const IntTable going({{1, "良"}, {2, "稍重"}, {3, "重"}, {4, "不良"}}, "");
  static const std::string turf = Sj("芝:");
  static const std::string dirt = Sj("ダ:");
  const std::string& g = going.get(code);
  if (g.empty()) return {};
  switch (variant) {
    case 0: return g;
    case 1: return turf + g;
    case 2: return dirt + g;
    default: return {};
  }
}

std::string AffiliationName(std::string_view code, int variant) { return AffiliationName(CodeInt(code), variant); }

std::string AffiliationName(int code, int variant) {
  static const std::array<IntTable, 7> t = {
      IntTable({{1, "東"}, {2, "西"}, {3, "招待"}, {4, "招待"}}, "－"),
      IntTable({{1, "関東"}, {2, "関西"}, {3, "地方招待"}, {4, "外国招待"}}, "－"),
      IntTable({{1, "美浦"}, {2, "栗東"}, {3, "招待"}, {4, "招待"}}, "－"),
      IntTable({{1, "関東馬"}, {2, "関西馬"}, {3, "地方招待馬"}, {4, "外国招待馬"}}, "－"),
      IntTable({{1, "[東]"}, {2, "[西]"}, {3, "[地]"}, {4, "[外]"}}, "－"),
      IntTable({{1, "美浦"}, {2, "栗東"}, {3, "地方"}, {4, "外国"}}, "－"),
      IntTable({{1, "美"}, {2, "栗"}, {3, "地"}, {4, "外"}}, "－"),
  };
  if (variant < 1 || variant > 7) return {};
  return t[variant - 1].get(code);
}

std::string ApprenticeMark(std::string_view code, int variant) { return ApprenticeMark(CodeInt(code), variant); }

std::string ApprenticeMark(int code, int variant) {
  static const IntTable v1({{1, "☆"}, {2, "△"}, {3, "▲"}, {4, "★"}, {9, "◇"}}, "　");
  static const IntTable v2({{1, "1kg減"}, {2, "2kg減"}, {3, "3kg減"}, {4, "4kg減"}, {9, "2kg減"}}, "－");
  static const IntTable v9(
      {{1, "1kg減(☆)"}, {2, "2kg減(△)"}, {3, "3kg減(▲)"}, {4, "4kg減(★)"}, {9, "2kg減(◇)"}}, "－");
  switch (variant) {
    case 1: return v1.get(code);
    case 2: return v2.get(code);
    case 9: return v9.get(code);
    default: return {};
  }
}

// ---- Small tables ---------------------------------------------------------------------------

std::string CoatColourName(std::string_view code) {
  static const IntTable t({{1, "栗毛"},
                           {2, "栃栗毛"},
                           {3, "鹿毛"},
                           {4, "黒鹿毛"},
                           {5, "青鹿毛"},
                           {6, "青毛"},
                           {7, "芦毛"},
                           {8, "栗粕毛"},
                           {9, "鹿粕毛"},
                           {10, "青粕毛"},
                           {11, "白毛"}},
                          "－");
  return t.get(code);
}

std::string WeightRuleName(std::string_view code) {
  static const IntTable t({{1, "ﾊﾝﾃﾞ"}, {2, "別定"}, {3, "馬齢"}, {4, "定量"}}, "");
  return t.get(code);
}

std::string AbnormalityName(std::string_view code) {
  static const IntTable t({{1, "出走取消"},
                           {2, "発走除外"},
                           {3, "競争除外"},
                           {4, "競争中止"},
                           {5, "失格    "},
                           {6, "落馬再騎"},
                           {7, "降着　　"}},
                          "        ");
  return t.get(code);
}

std::string ScratchName(std::string_view code) {
  static const IntTable t({{1, "出走取消"}, {2, "競争除外"}}, "        ");
  return t.get(code);
}

std::string ReasonName(std::string_view code) {
  static const IntTable t({{1, "[疾病]"}, {2, "[事故]"}}, "[その他]");
  return t.get(code);
}

std::string WeatherName(std::string_view code) {
  static const IntTable t({{1, "晴"}, {2, "曇"}, {3, "雨"}, {4, "小雨"}, {5, "雪"}, {6, "小雪"}}, "");
  return t.get(code);
}

std::string SexName(std::string_view code) {
  static const IntTable t({{1, "牡"}, {2, "牝"}, {3, "ｾﾝ"}}, "");
  return t.get(code);
}

std::string BlinkerMark(std::string_view code) { return CodeInt(code) == 1 ? "B" : " "; }

std::string CircledNumber(int code) {
  static const std::array<std::string, 19> t = [] {
    std::array<std::string, 19> a;
    a[0] = Sj("－");
    const std::string first = Sj("①");  // ①..⑳ are consecutive in CP932 (0x8740..)
    for (int i = 1; i <= 18; ++i) {
      a[i] = first;
      a[i][1] = static_cast<char>(static_cast<unsigned char>(first[1]) + i - 1);
    }
    return a;
  }();
  return (code >= 1 && code <= 18) ? t[code] : t[0];
}

std::string CircledNumberText(std::string_view code) { return CircledNumber(CodeInt(code)); }

std::string TrackName(int code) {
  static const IntTable t({{10, "芝 直線"},
                           {11, "芝 左回り"},
                           {12, "芝 左回り 外回り"},
                           {13, "芝 左回り 内→外回り"},
                           {14, "芝 左回り 外→内回り"},
                           {15, "芝 左回り 内２周"},
                           {16, "芝 左回り 外２周"},
                           {17, "芝 右回り"},
                           {18, "芝 右回り 外回り"},
                           {19, "芝 右回り 内→外回り"},
                           {20, "芝 右回り 外→内回り"},
                           {21, "芝 右回り 内２周"},
                           {22, "芝 右回り 外２周"},
                           {23, "ﾀﾞｰﾄ 左回り"},
                           {24, "ﾀﾞｰﾄ 右回り"},
                           {25, "ﾀﾞｰﾄ 左回り 内回り"},
                           {26, "ﾀﾞｰﾄ 右回り 外回り"},
                           {27, "ｻﾝﾄﾞ 左回り"},
                           {28, "ｻﾝﾄﾞ 右回り"},
                           {29, "ﾀﾞｰﾄ 直線"},
                           {51, "障害 芝　襷"},
                           {52, "障害 芝→ﾀﾞｰﾄ"},
                           {53, "障害 芝　左"},
                           {54, "障害 芝"},
                           {55, "障害 芝 外回り"},
                           {56, "障害 芝 外→内回り"},
                           {57, "障害 芝 内→外回り"},
                           {58, "障害 内２周"},
                           {59, "障害 外２周"}},
                          "");
  return t.get(code);
}

std::string TrackShort(int code) {
  static const std::string straight = Sj("芝直"), left = Sj("芝左"), right = Sj("芝右"), dirtLeft = Sj("ダ左"),
                           dirtRight = Sj("ダ右"), dirtStraight = Sj("ダ直"), jump = Sj("障害");
  if (code == 10) return straight;
  if (code >= 11 && code <= 16) return left;
  if (code >= 17 && code <= 22) return right;
  if (code == 23) return dirtLeft;
  if (code == 24) return dirtRight;
  if (code == 29) return dirtStraight;
  if (code >= 51 && code <= 59) return jump;
  return {};
}

// ---- Bet combinations -----------------------------------------------------------------------

namespace {

std::string PairLabel(int a, int b) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%2d-%2d", a, b);
  return buf;
}

}  // namespace

std::string BracketComboLabel(int index) {
  if (index < 1 || index > 36) return {};
  int i = index;
  for (int a = 1; a <= 8; ++a) {
    int row = 9 - a;  // pairs a-a .. a-8
    if (i <= row) return PairLabel(a, a + i - 1);
    i -= row;
  }
  return {};
}

std::string QuinellaComboLabel(int index) {
  if (index < 1 || index > 153) return {};
  int i = index;
  for (int a = 1; a <= 17; ++a) {
    int row = 18 - a;  // pairs a-(a+1) .. a-18
    if (i <= row) return PairLabel(a, a + i);
    i -= row;
  }
  return {};
}

int QuinellaComboIndex(std::string_view label) {
  if (label.size() != 5 || label[2] != '-') return 0;
  int a = CodeInt(label.substr(0, 2));
  int b = CodeInt(label.substr(3, 2));
  if (a < 1 || b > 18 || a >= b) return 0;
  int index = 0;
  for (int r = 1; r < a; ++r) index += 18 - r;
  index += b - a;
  // Only the exact label form counts (" 1- 2", not "01-02" or "1 - 2").
  return QuinellaComboLabel(index) == label ? index : 0;
}

// ---- CSV short forms ------------------------------------------------------------------------

std::string GradeCsv(std::string_view code) {
  static const TextTable t({{"A", "Ｇ１"}, {"B", "Ｇ２"}, {"C", "Ｇ３"}, {"D", "重賞"}, {"E", "特別"},
                            {"F", "ＪＧ１"}, {"G", "ＪＧ２"}, {"H", "ＪＧ３"}},
                           "　　");
  return t.get(code);
}

std::string WeightRuleCsv(std::string_view code) {
  static const IntTable t({{1, "ハンデ"}, {2, "別定"}, {3, "馬齢"}, {4, "定量"}}, "　　");
  return t.get(code);
}

std::string AgeClassCsv(std::string_view raceType, std::string_view condition) {
  // 19 is the jumps race for four-year-olds and up, so it reads "4歳上" like 14.
  static const IntTable age({{11, "2歳"}, {12, "3歳"}, {13, "3歳上"}, {18, "3歳上"}, {14, "4歳上"}, {19, "4歳上"}},
                            "");
  static const IntTable cls({{5, "1勝ｸﾗｽ"},
                             {10, "2勝ｸﾗｽ"},
                             {16, "3勝ｸﾗｽ"},
                             {701, "新馬"},
                             {702, "未出走"},
                             {703, "未勝利"},
                             {999, "ｵｰﾌﾟﾝ"}},
                            "");
  return age.get(raceType) + cls.get(condition);
}

std::string SurfaceCsv(int trackCode) {
  static const std::string turf = Sj("芝"), dirt = Sj("ダ"), jump = Sj("障");
  if (trackCode >= 10 && trackCode <= 22) return turf;
  if (trackCode == 23 || trackCode == 24 || trackCode == 29) return dirt;
  if (trackCode >= 51 && trackCode <= 59) return jump;
  return EmptyText();
}

std::string DirectionCsv(int trackCode) {
  static const std::string straight = Sj("直"), left = Sj("左"), right = Sj("右"), jump = Sj("障");
  if (trackCode == 10 || trackCode == 29) return straight;
  if ((trackCode >= 11 && trackCode <= 16) || trackCode == 23) return left;
  if ((trackCode >= 17 && trackCode <= 22) || trackCode == 24) return right;
  if (trackCode >= 51 && trackCode <= 59) return jump;
  return EmptyText();
}

std::string GoingCsv(std::string_view code) {
  static const IntTable t({{1, "良"}, {2, "稍"}, {3, "重"}, {4, "不"}}, "　");
  return t.get(code);
}

}  // namespace zelkova
