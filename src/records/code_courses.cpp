// Racecourse and country names in their five widths. Local racecourses and countries derive
// most widths from the full name, so only the name (and the exceptions) are written out.
#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

#include "records/code_tables.h"
#include "records/code_util.h"

namespace zelkova {

using codes::CodeInt;
using codes::PadWide;

namespace {

// Widths 0, 1, 2, 3, 9 in that order.
using Names = std::array<std::string, 5>;

struct CourseTables {
  std::map<std::string, Names, std::less<>> byCode;
  std::map<std::string, bool, std::less<>> isCountry;
};

// The first `chars` characters of an all double-byte CP932 name, padded with spaces to 2*chars.
std::string Head(const std::string& name, size_t chars) {
  std::string s = name.substr(0, std::min(name.size(), chars * 2));
  s.resize(chars * 2, ' ');
  return s;
}

CourseTables Build() {
  CourseTables t;
  struct Central {
    const char* code;
    const char* name;
    const char* one;
  };
  static const Central central[] = {{"01", "札幌", "札"}, {"02", "函館", "函"}, {"03", "福島", "福"}, {"04", "新潟", "新"},
                                    {"05", "東京", "東"}, {"06", "中山", "中"}, {"07", "中京", "名"}, {"08", "京都", "京"},
                                    {"09", "阪神", "阪"}, {"10", "小倉", "小"}};
  const std::string course = Sj("競馬場");
  for (const auto& c : central) {
    std::string name = Sj(c.name);
    t.byCode[c.code] = {Head(name, 3), Sj(c.one), name, Head(name, 3), PadWide(name + course, 20)};
  }

  static const char* const local[] = {"門別", "北見", "岩見沢", "帯広", "旭川", "盛岡", "水沢", "上山",
                                      "三条", "足利", "宇都宮", "高崎", "浦和", "船橋", "大井", "川崎",
                                      "金沢", "笠松", "名古屋", "紀三井寺", "園田", "姫路", "益田", "福山",
                                      "高知", "佐賀", "荒尾", "中津", "札幌", "函館", "新潟", "中京"};
  const std::string localSuffix = Sj("競馬場(地方競馬)");
  for (int i = 0; i < 32; ++i) {
    int code = 30 + i;
    std::string name = Sj(local[i]);
    std::string full = PadWide(name + (code >= 58 ? localSuffix : course), 20);
    Names n = {Head(name, 3), Head(name, 1), Head(name, 2), Head(name, 3), full};
    if (code == 48) n[1] = Sj("古");
    if (code == 61) n[1] = Sj("名");
    if (code == 49) {
      n[0] = Sj("紀三井");
      n[3] = Sj("紀三寺");
    }
    char key[4];
    std::snprintf(key, sizeof key, "%02d", code);
    t.byCode[key] = n;
  }

  struct Country {
    const char* code;
    const char* name;
    const char* one;
    const char* six;  // width 0: half-width katakana cut to 6 bytes, never splitting a voiced kana
  };
  static const Country countries[] = {
      {"A0", "その他の外国", "外", "その他"},   {"A2", "日本", "日", "日本  "},
      {"A4", "アメリカ", "米", "ｱﾒﾘｶ  "},       {"A6", "イギリス", "英", "ｲｷﾞﾘｽ "},
      {"A8", "フランス", "仏", "ﾌﾗﾝｽ  "},       {"B0", "インド", "印", "ｲﾝﾄﾞ  "},
      {"B2", "アイルランド", "愛", "ｱｲﾙﾗﾝ "},   {"B4", "ニュージーランド", "新", "ﾆｭｰｼﾞｰ"},
      {"B6", "オーストラリア", "豪", "ｵｰｽﾄﾗﾘ"}, {"B8", "カナダ", "加", "ｶﾅﾀﾞ  "},
      {"C0", "イタリア", "伊", "ｲﾀﾘｱ  "},       {"C2", "ドイツ", "独", "ﾄﾞｲﾂ  "},
      {"C5", "オマーン", "オ", "ｵﾏｰﾝ  "},       {"C6", "イラク", "イ", "ｲﾗｸ   "},
      {"C7", "アラブ首長国連邦", "首", "ｱﾗﾌﾞ首"}, {"C8", "シリア", "叙", "ｼﾘｱ   "},
      {"D0", "スウェーデン", "瑞", "ｽｳｪｰﾃﾞ"},   {"D2", "ハンガリー", "洪", "ﾊﾝｶﾞﾘｰ"},
      {"D4", "ポルトガル", "葡", "ﾎﾟﾙﾄｶﾞ"},     {"D6", "ロシア", "露", "ﾛｼｱ   "},
      {"D8", "ウルグアイ", "ウ", "ｳﾙｸﾞｱｲ"},     {"E0", "ペルー", "秘", "ﾍﾟﾙｰ  "},
      {"E2", "アルゼンチン", "亜", "ｱﾙｾﾞﾝﾁ"},   {"E4", "ブラジル", "伯", "ﾌﾞﾗｼﾞﾙ"},
      {"E6", "ベルギー", "白", "ﾍﾞﾙｷﾞｰ"},       {"E8", "トルコ", "土", "ﾄﾙｺ   "},
      {"F0", "韓国", "韓", "韓国  "},           {"F1", "中国", "中", "中国  "},
      {"F2", "チリ", "智", "ﾁﾘ    "},           {"F8", "パナマ", "巴", "ﾊﾟﾅﾏ  "},
      {"G0", "香港", "香", "香港  "},           {"G2", "スペイン", "西", "ｽﾍﾟｲﾝ "},
      {"H0", "西ドイツ", "西", "西ﾄﾞｲﾂ"},       {"H2", "南アフリカ", "南", "南ｱﾌﾘｶ"},
      {"H4", "スイス", "ス", "ｽｲｽ   "},         {"H6", "モナコ", "モ", "ﾓﾅｺ   "},
      {"H8", "フィリピン", "比", "ﾌｨﾘﾋﾟﾝ"},     {"I0", "プエルトリコ", "プ", "ﾌﾟｴﾙﾄﾘ"},
      {"I2", "コロンビア", "コ", "ｺﾛﾝﾋﾞｱ"},     {"I4", "チェコスロバキア", "チ", "ﾁｪｺｽﾛ "},
      {"I6", "チェコ", "チ", "ﾁｪｺ   "},         {"I8", "スロバキア", "ス", "ｽﾛﾊﾞｷｱ"},
      {"J0", "エクアドル", "エ", "ｴｸｱﾄﾞﾙ"},     {"J2", "ギリシャ", "ギ", "ｷﾞﾘｼｬ "},
      {"J4", "マレーシア", "馬", "ﾏﾚｰｼｱ "},     {"J6", "メキシコ", "墨", "ﾒｷｼｺ  "},
      {"J8", "モロッコ", "摩", "ﾓﾛｯｺ  "},       {"K0", "パキスタン", "基", "ﾊﾟｷｽﾀﾝ"},
      {"K2", "ポーランド", "波", "ﾎﾟｰﾗﾝ "},     {"K4", "パラグアイ", "拉", "ﾊﾟﾗｸﾞｱ"},
      {"K6", "サウジアラビア", "サ", "ｻｳｼﾞｱﾗ"}, {"K8", "キプロス", "キ", "ｷﾌﾟﾛｽ "},
      {"L0", "タイ", "泰", "ﾀｲ    "},           {"L2", "ウクライナ", "烏", "ｳｸﾗｲﾅ "},
      {"L4", "ベネズエラ", "ベ", "ﾍﾞﾈｽﾞｴ"},     {"L6", "ユーゴスラビア", "ユ", "ﾕｰｺﾞｽﾗ"},
      {"L8", "デンマーク", "丁", "ﾃﾞﾝﾏｰｸ"},     {"M0", "シンガポール", "嘉", "ｼﾝｶﾞﾎﾟ"},
      {"M2", "マカオ", "澳", "ﾏｶｵ   "},         {"M4", "オーストリア", "墺", "ｵｰｽﾄﾘｱ"},
      {"M6", "ヨルダン", "約", "ﾖﾙﾀﾞﾝ "},       {"M8", "カタール", "華", "ｶﾀｰﾙ  "},
      {"N0", "東ドイツ", "ド", "東ﾄﾞｲﾂ"},       {"N2", "バーレーン", "バ", "ﾊﾞｰﾚｰﾝ"},
  };
  for (const auto& c : countries) {
    std::string name = Sj(c.name);
    t.byCode[c.code] = {Sj(c.six), Sj(c.one), Head(name, 2), Head(name, 3), PadWide(name, 20)};
    t.isCountry[c.code] = true;
  }
  // Listed without names: they decode like unknown codes but are still countries.
  for (const char* code : {"C4", "F4", "F6", "G4", "G6", "G8"}) t.isCountry[code] = true;
  return t;
}

const CourseTables& Tables() {
  static const CourseTables t = Build();
  return t;
}

// Numeric codes are looked up as two digits ("7" finds "07"); country codes as written.
std::string Key(std::string_view code) {
  int v = CodeInt(code);
  if (v >= 0 && v <= 99) {
    char key[4];
    std::snprintf(key, sizeof key, "%02d", v);
    return key;
  }
  return std::string(TrimBlanks(code));
}

int VariantSlot(int variant) {
  switch (variant) {
    case 0: return 0;
    case 1: return 1;
    case 2: return 2;
    case 3: return 3;
    case 9: return 4;
    default: return -1;
  }
}

}  // namespace

std::string CourseNameW(std::string_view code, int variant) {
  static const char* const fallback[] = {"      ", "  ", "    ", "      ", "      "};
  int slot = VariantSlot(variant);
  if (slot < 0) return {};
  const auto& t = Tables().byCode;
  auto it = t.find(Key(code));
  return it == t.end() ? fallback[slot] : it->second[slot];
}

std::string CourseNameW(int code, int variant) {
  // Only 0..99 have a two-digit form; anything else must not alias a listed code.
  if (code < 0 || code > 99) return CourseNameW(std::string_view("??"), variant);
  char key[4];
  std::snprintf(key, sizeof key, "%02d", code);
  return CourseNameW(std::string_view(key), variant);
}

std::string CourseName(std::string_view code) {
  static const std::string local = Sj("地方  ");
  static const std::string abroad = Sj("海外  ");
  std::string key = Key(code);
  int v = CodeInt(code);
  if (v >= 1 && v <= 10) return Tables().byCode.find(key)->second[0];
  if (v >= 30 && v <= 61) return local;
  if (Tables().isCountry.count(key)) return abroad;
  return "      ";
}

}  // namespace zelkova
