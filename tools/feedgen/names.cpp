#include "names.h"

#include <vector>

#include "base/cp932.h"
#include "fixed_record.h"

namespace zelkova::feedgen {

namespace {

std::vector<std::string> Convert(std::initializer_list<const char*> utf8) {
  std::vector<std::string> out;
  for (const char* s : utf8) out.push_back(Sj(s));
  return out;
}

const std::string& Pick(Rng& rng, const std::vector<std::string>& v) { return v[rng.below(static_cast<uint32_t>(v.size()))]; }

struct Tables {
  std::vector<std::string> horsePrefix = Convert({"サクラ", "メイショウ", "ゴールド", "シルク", "トーセン", "エイシン", "ダイワ",
      "マイネル", "コスモ", "アドマイヤ", "キタサン", "サトノ", "タガノ", "ヒシ", "テイエム", "ニシノ", "スズカ", "ミッキー",
      "ウイン", "レッド", "ハギノ", "ブルー", "ロード", "グラン", "アイ", "マル", "シゲル", "タイセイ", "ヴィア", "エア"});
  std::vector<std::string> horseMiddle = Convert({"ア", "イ", "カ", "キ", "サ", "シ", "タ", "テ", "ナ", "ノ", "ハ", "ミ", "ラ",
      "リ", "ル", "レ", "ロ", "マ", "ヴ", "ジ", "ド", "ベ", "ポ", "ユ"});
  std::vector<std::string> horseSuffix = Convert({"ブライト", "スター", "ロード", "キング", "クイーン", "ハート", "ドリーム",
      "フラッシュ", "ウインド", "ダンサー", "ボルト", "ソング", "エース", "ランナー", "ミラクル", "レジェンド", "ノヴァ",
      "アロー", "グローリー", "サンデー", "ブレイブ", "フォース", "カレン", "オーラ", "ジーク", "リリー", "ソレイユ", "ルーチェ",
      "アルマ", "テソーロ", "バローズ", "ファイン", "ボス", "ダイヤ", "メロディ", "コメット"});
  std::vector<std::string> family = Convert({"佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村", "小林", "加藤",
      "吉田", "山田", "佐々木", "山口", "松本", "井上", "木村", "林", "斎藤", "清水", "池添", "横山", "岩田", "福永", "川田",
      "戸崎", "丸山", "石橋", "菅原", "坂井", "藤岡", "松山", "西村", "岡田", "武藤", "国分", "北村", "和田", "浜中", "秋山"});
  std::vector<std::string> given = Convert({"武", "豊", "誠", "健一", "和也", "翔太", "大輔", "拓也", "雄一", "亮", "隆",
      "浩二", "康太", "典弘", "謙一", "友一", "勇介", "明", "裕樹", "幸四郎", "優", "克己", "将之", "真一", "直樹", "賢二"});
  std::vector<std::string> familyKana = Convert({"ｻﾄｳ", "ｽｽﾞｷ", "ﾀｶﾊｼ", "ﾀﾅｶ", "ｲﾄｳ", "ﾜﾀﾅﾍﾞ", "ﾔﾏﾓﾄ", "ﾅｶﾑﾗ", "ｺﾊﾞﾔｼ",
      "ｶﾄｳ", "ﾖｼﾀﾞ", "ﾔﾏﾀﾞ", "ｻｻｷ", "ﾔﾏｸﾞﾁ", "ﾏﾂﾓﾄ", "ｲﾉｳｴ", "ｷﾑﾗ", "ﾊﾔｼ", "ｻｲﾄｳ", "ｼﾐｽﾞ", "ｲｹｿﾞｴ", "ﾖｺﾔﾏ", "ｲﾜﾀ",
      "ﾌｸﾅｶﾞ", "ｶﾜﾀﾞ", "ﾄｻﾞｷ", "ﾏﾙﾔﾏ", "ｲｼﾊﾞｼ", "ｽｶﾞﾜﾗ", "ｻｶｲ", "ﾌｼﾞｵｶ", "ﾏﾂﾔﾏ", "ﾆｼﾑﾗ", "ｵｶﾀﾞ", "ﾑﾄｳ", "ｺｸﾌﾞﾝ",
      "ｷﾀﾑﾗ", "ﾜﾀﾞ", "ﾊﾏﾅｶ", "ｱｷﾔﾏ"});
  std::vector<std::string> place = Convert({"白樺", "駒草", "若葉", "青葉", "新緑", "皐月", "鳳雛", "立夏", "薫風", "朱雀",
      "渡島", "大沼", "飛鳥", "比叡", "鞍馬", "天王山", "錦秋", "紅葉", "霜月", "師走", "春雷", "桜花", "弥生", "睦月",
      "湘南", "房総", "富士", "八ヶ岳", "阿蘇", "桜島", "淀", "武蔵野", "秋風", "夏至", "立春", "雪割"});
  std::vector<std::string> raceSuffix = Convert({"特別", "特別", "ステークス", "賞", "カップ", "ステークス"});
  std::vector<std::string> gradedSuffix = Convert({"記念", "ステークス", "杯", "カップ", "大賞典", "賞"});
  std::vector<std::string> farmWord = Convert({"牧場", "ファーム", "スタッド"});
  std::vector<std::string> ownerWord = Convert({"ホースクラブ", "レーシング", "ファーム", "商事", "興産"});
  std::string wideSpace = Sj("　");
  std::string katakanaN = Sj("ン");
};

const Tables& T() {
  static const Tables t;
  return t;
}

}  // namespace

std::string FirstChars(const std::string& cp932, int chars) {
  return cp932.substr(0, Cp932Cut(cp932, static_cast<size_t>(chars) * 2));
}

std::string HorseName(Rng& rng) {
  const Tables& t = T();
  std::string name;
  if (rng.chance(0.7)) name += Pick(rng, t.horsePrefix);
  int middles = static_cast<int>(rng.below(3));
  for (int i = 0; i < middles; ++i) name += Pick(rng, t.horseMiddle);
  name += Pick(rng, t.horseSuffix);
  if (name.size() < 4) name += t.katakanaN;
  return FirstChars(name, 9);
}

PersonName PersonNameOf(Rng& rng) {
  const Tables& t = T();
  size_t f = rng.below(static_cast<uint32_t>(t.family.size()));
  const std::string& g = Pick(rng, t.given);
  PersonName p;
  p.full = t.family[f] + t.wideSpace + g;
  std::string fam = t.family[f];
  p.shortName = fam.size() >= 6 ? FirstChars(fam, 3) + FirstChars(g, 1) : fam + FirstChars(g, 2);
  p.shortName = FirstChars(p.shortName, 4);
  p.kana = t.familyKana[f];
  return p;
}

std::string BreederName(Rng& rng) {
  const Tables& t = T();
  if (rng.chance(0.5)) return Pick(rng, t.family) + Pick(rng, t.farmWord);
  return Pick(rng, t.horseSuffix) + Pick(rng, t.farmWord);
}

std::string OwnerName(Rng& rng) {
  const Tables& t = T();
  if (rng.chance(0.4)) return Pick(rng, t.horsePrefix) + Pick(rng, t.ownerWord);
  return Pick(rng, t.family) + Pick(rng, t.given);
}

std::string RaceName(Rng& rng, bool graded) {
  const Tables& t = T();
  return Pick(rng, t.place) + Pick(rng, graded ? t.gradedSuffix : t.raceSuffix);
}

}  // namespace zelkova::feedgen
