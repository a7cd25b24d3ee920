#include "jvlink/jv_message.h"

#include <map>
#include <utility>
#include <vector>

#include "base/cp932.h"

namespace zelkova {
namespace {

// One row group of the message table: which operation names it answers, its texts by code
// and, for the counting operations, the text that a positive code gets before its digits.
struct Group {
  std::vector<std::string_view> names;
  bool prefix = false;  // names[0] is a name prefix
  std::vector<std::pair<int, const char*>> rows;
  const char* positive = nullptr;
};

struct CompiledGroup {
  std::vector<std::string_view> names;
  bool prefix = false;
  std::map<int, std::string> rows;  // CP932
  std::string positive;             // CP932, empty = none
  bool hasPositive = false;
};

constexpr const char* kOk = "正常に実行されました。";
constexpr const char* kInitMissing = "JVInit が行なわれていません。";
constexpr const char* kInitMissingTight = "JVInitが行なわれていません。";
constexpr const char* kStillOpen =
    "前回のJVOpen/JVRTOpen/JVMVOpen に対してJVClose が呼ばれていません。（オープン中）";
constexpr const char* kEof = "全ファイルの読み込みが終了しました。（ＥＯＦ ）";
constexpr const char* kReadSize = "バッファにセットしたデータのサイズ";
constexpr const char* kNoData = "該当データがありません。";
constexpr const char* kInternalSpaced = "JV- Link 内部エラーが発生しました。";
constexpr const char* kDownloadFailed = "ダウンロードに失敗しました。(通信エラーやディスクエラー)";

// JVOpen texts that the older groups (JVFuku*, JVMVCheck) reuse.
constexpr const char* kOpen211 = "レジストリ内容が不正（レジストリ内容が不正に変更された）です。";
constexpr const char* kOpen301 = "認証エラーが発生しました。";
constexpr const char* kOpen302 = "サービスキーの有効期限切れです。";
constexpr const char* kOpen303 = "サービスキーが設定されていません。（サービスキーが空値）";
constexpr const char* kOpen411 = "サーバーエラー（HTTP ステータス404 NotFount ）が発生しました。";
constexpr const char* kOpen412 = "サーバーエラー（HTTP ステータス403 Forbidden ）が発生しました。";
constexpr const char* kOpen413 = "サーバーエラー（HTTP ステータス200,403,404 以外）が発生しました。";
constexpr const char* kOpen421 = "サーバーエラー（サーバーの応答が不正）が発生しました。";
constexpr const char* kOpen431 = "サーバーエラー（サーバーアプリケーション内部エラー）が発生しました。";
constexpr const char* kOpen504 = "サーバーがメンテナンス中です。";
constexpr const char* kOpen114 = "key パラメータが不正です。";

// The newer movie and course-file texts, half-width parentheses.
constexpr const char* kMv201 = "JVInitが行われていません。";
constexpr const char* kMv211 = "レジストリ内容が不正です。";
constexpr const char* kMv302 = "サービスキーの期限切れです。";
constexpr const char* kMv303 = "サービスキーが設定されていません。";
constexpr const char* kMv304 = "JRAレーシングビュアー連携機能認証エラーが発生しました。";
constexpr const char* kMv401 = "JV-Link内部エラーが発生しました。";
constexpr const char* kMv411 = "サーバーエラー(HTTPステータス404NotFound)が発生しました。";
constexpr const char* kMv412 = "サーバーエラー(HTTPステータス403Forbidden)が発生しました。";
constexpr const char* kMv413 = "サーバーエラー(HTTPステータス200,403,404以外)が発生しました。";
constexpr const char* kMv421 = "サーバーエラー(サーバーの応答が不正)が発生しました。";
constexpr const char* kMv431 = "サーバーエラー(サーバーアプリケーション内部エラー)が発生しました。";
constexpr const char* kMv504 = "サーバーメンテナンス中です。";

using Rows = std::vector<std::pair<int, const char*>>;

// Rows shared by the five movie and course-file groups.
Rows MovieCommonRows() {
  return {{0, kOk},          {-1, kNoData},     {-201, kMv201}, {-202, kStillOpen}, {-211, kMv211},
          {-301, kOpen301},  {-302, kMv302},    {-303, kMv303}, {-401, kMv401},     {-411, kMv411},
          {-412, kMv412},    {-413, kMv413},    {-421, kMv421}, {-431, kMv431},     {-504, kMv504}};
}

Group MovieGroup(std::string_view name) {
  Group g{{name}, false, MovieCommonRows(), nullptr};
  auto add = [&](int code, const char* text) { g.rows.emplace_back(code, text); };
  const bool play = name == "JVMVPlay" || name == "JVMVPlayWithType";
  const bool open = name == "JVMVOpen";
  const bool course = name == "JVCourseFile" || name == "JVCourseFile2";
  if (play) add(-100, "パラメータが不正またはレジストリへの保存に失敗しました。");
  if (play || open) add(-111, "movietypeパラメータが不正です。");
  if (play || course) add(-114, "keyパラメータが不正です。");
  if (open) add(-114, "searchkeyパラメータが不正です。");
  if (name == "JVCourseFile2") add(-118, "filepathパラメータが不正です。");
  if (play || open) add(-304, kMv304);
  if (course) add(-502, kDownloadFailed);
  return g;
}

// In the table's order: a later group that matches overrides an earlier one.
std::vector<Group> Table() {
  std::vector<Group> t;
  t.push_back({{"JVInit"},
               false,
               {{-103, "sid が不正（sid の１桁目がスペース）です。"},
                {-102, "sid が64byte 以上あります。"},
                {-101, "sid が設定されていません。"},
                {0, kOk}}});
  t.push_back({{"JVSetUIProperties"},
               false,
               {{-100, "パラメータが不正あるいはレジストリへの保存に失敗しました。"}, {0, kOk}}});
  t.push_back({{"JVSet"},
               true,
               {{-101, "すでにサービスキーが登録されています。"},
                {-100, "パラメータが不正あるいはレジストリへの保存に失敗しました。"},
                {0, kOk}}});
  t.push_back({{"JVOpen", "JVRTOpen"},
               false,
               {{0, kOk},
                {-1, " 取得済みデータより最新のデータがありません。"},
                {-2, "セットアップダイアログでキャンセルが押されました。"},
                {-111, "dataspec パラメータが不正です。"},
                {-112, "fromdate パラメータが不正です。"},
                {-114, kOpen114},
                {-115, "option パラメータが不正です。"},
                {-116, "dataspec とoption の組み合わせが不正です。"},
                {-201, kInitMissing},
                {-202, kStillOpen},
                {-211, kOpen211},
                {-301, kOpen301},
                {-302, kOpen302},
                {-303, kOpen303},
                {-305, "JV-Link 利用規約への同意が必要です。"},
                {-401, "JV-Link 内部エラーが発生しました。"},
                {-411, kOpen411},
                {-412, kOpen412},
                {-413, kOpen413},
                {-421, kOpen421},
                {-431, kOpen431},
                {-501, "セットアップ処理においてＣＤ －ＲＯＭ が無効です。"},
                {-504, kOpen504}}});
  t.push_back({{"JVStatus"},
               false,
               {{-201, kInitMissingTight},
                {-203, "JVOpenが行なわれていません。"},
                {-502, "ダウンロードに失敗しました。（通信エラーやディスクエラーなど）"},
                {0, kOk}},
               "ダウンロード済みファイル数"});
  t.push_back({{"JVRead", "JVGets"},
               false,
               {{0, kEof},
                {-1, "ファイルが切り替わりました。"},
                {-3, "ファイルダウンロード中"},
                {-201, kInitMissingTight},
                {-202, kStillOpen},
                {-203, "JVOpenが行なわれていません。"},
                {-402, "ダウンロードしたファイルサイズが異常です。"},
                {-403, "ダウンロードしたファイル内容が異常です。"},
                {-502, kDownloadFailed},
                {-503, "ファイルが見つかりません。"}},
               kReadSize});
  t.push_back({{"JVFileDelete"},
               false,
               {{-201, kInitMissingTight}, {-503, "ファイルが見つかりません。"}, {0, kOk}}});
  const Rows fuku = {{0, kOk},          {-201, kInitMissing}, {-211, kOpen211}, {-301, kOpen301},
                     {-302, kOpen302},  {-303, kOpen303},     {-411, kOpen411}, {-412, kOpen412},
                     {-413, kOpen413},  {-421, kOpen421},     {-431, kOpen431}, {-504, kOpen504},
                     {-401, kInternalSpaced}, {-1, kNoData}};
  Group fukuFile{{"JVFukuFile"}, false, fuku};
  fukuFile.rows.emplace_back(-118, "filepath パラメータが不正です。");
  t.push_back(fukuFile);
  t.push_back({{"JVFuku"}, false, fuku});
  t.push_back({{"JVMVCheck"},
               false,
               {{0, "正常(公開動画なし)に実行されました。"},
                {1, "正常(公開動画あり)に実行されました。"},
                {-1, kNoData},
                {-114, kOpen114},
                {-201, kInitMissing},
                {-202, kStillOpen},
                {-211, kOpen211},
                {-301, kOpen301},
                {-302, kOpen302},
                {-303, kOpen303},
                {-411, kOpen411},
                {-412, kOpen412},
                {-413, kOpen413},
                {-421, kOpen421},
                {-431, kOpen431},
                {-504, kOpen504},
                {-401, kInternalSpaced}}});
  for (std::string_view n : {"JVMVPlay", "JVMVPlayWithType", "JVMVOpen", "JVCourseFile", "JVCourseFile2"})
    t.push_back(MovieGroup(n));
  t.push_back({{"JVMVRead"},
               false,
               {{0, kEof},
                {-3, "データダウンロード中"},
                {-201, kInitMissingTight},
                {-203, "JVMVOpenが行なわれていません。"},
                {-402, "ダウンロードしたファイルサイズが異常です。"},
                {-403, "ダウンロードしたファイル内容が異常です。"},
                {-502, kDownloadFailed},
                {-503, "一時ファイルが見つかりません。"}},
               kReadSize});
  t.push_back({{"JVClose"}, false, {{0, kOk}}});
  return t;
}

// Converted to CP932 once.
const std::vector<CompiledGroup>& Compiled() {
  static const std::vector<CompiledGroup> compiled = [] {
    std::vector<CompiledGroup> out;
    for (const Group& g : Table()) {
      CompiledGroup c;
      c.names = g.names;
      c.prefix = g.prefix;
      for (const auto& [code, text] : g.rows) c.rows.emplace(code, Sj(text));  // first listing wins
      if (g.positive) {
        c.positive = Sj(g.positive);
        c.hasPositive = true;
      }
      out.push_back(std::move(c));
    }
    return out;
  }();
  return compiled;
}

bool Matches(const CompiledGroup& g, std::string_view operation) {
  if (g.prefix) return operation.substr(0, g.names[0].size()) == g.names[0];
  for (std::string_view n : g.names)
    if (n == operation) return true;
  return false;
}

}  // namespace

std::string JvMessage(std::string_view operation, int code) {
  std::string text;
  for (const CompiledGroup& g : Compiled()) {
    if (!Matches(g, operation)) continue;
    auto it = g.rows.find(code);
    text = it == g.rows.end() ? std::string() : it->second;
    if (g.hasPositive && code > 0) text = g.positive + std::to_string(code);
  }
  return text + "(" + std::to_string(code) + ")";
}

}  // namespace zelkova
