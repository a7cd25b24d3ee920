// What every command of zelkova-cli checks before it starts, as the program checks it at start:
// the program folder with its fixed files, and a feed folder given with --feed.
#include <ostream>

#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "cli/commands.h"
#include "jvlink/recorded_jv_link.h"
#include "settings/program_folder.h"

namespace zelkova::cli {

int CheckStart(const CliContext& ctx, bool programFolder) {
  if (!ctx.feedFolder.empty()) {
    if (Status s = CheckFeedFolder(PathFromUtf8(ctx.feedFolder)); !s.ok()) {
      *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(s.message()) << "\n";
      return 1;
    }
  }
  if (!programFolder) return 0;
  if (std::string why = ProgramFolderProblem(ctx.programFolder); !why.empty()) {
    *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(why) << "\n";
    return 1;
  }
  const FixedFiles fixed = LoadFixedFiles(ctx.programFolder);
  for (const std::string& m : fixed.messages) *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(m) << "\n";
  if (!fixed.messages.empty()) {
    if (const std::string hint = FixedFilesHint(ctx.programFolder, ExecutableFolder(nullptr)); !hint.empty())
      *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(hint) << "\n";
    return 1;
  }
  // Said once; what needs writing fails later, naming its file.
  if (Status w = ProgramFolderWritable(ctx.programFolder); !w.ok())
    *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(ReadOnlyFolderMessage(w)) << "\n";
  return 0;
}

int StartNewProgramFolder(const CliContext& ctx) {
  auto made = StartProgramFolder(ctx.programFolder, ExecutableFolder(nullptr));
  if (!made.ok()) {
    *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(made.status().message()) << "\n";
    return 1;
  }
  if (!made->empty()) *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(*made) << "\n";
  return 0;
}

std::string UsageText() {
  return "使い方: zelkova-cli [--home DIR] [--feed DIR] コマンド [引数]\n"
         "  --home DIR  プログラムフォルダ（省略時は zelkova-cli のフォルダ）。プログラムと同じく\n"
         "              RTJ.dat、RTN.dat、RTC.dat、SetGate.tbl が要ります\n"
         "  --feed DIR  JV-Dataを読むフィードフォルダ（stored/ か realtime/ があるもの）。\n"
         "              プログラムフォルダの zelkova.ini に覚え、次からは省けます。\n"
         "              省略時は JV-Link（Windows）、なければ覚えたフィードフォルダ\n"
         "日付（DATE）は yyyymmdd、yyyy-mm-dd、yyyy年mm月dd日 のどれでも書けます。\n"
         "レースは競馬場とレース番号で選びます: --course 東京 --race 11（競馬場はコード 05 でも可）。\n"
         "その日に一つの競馬場しかなければ --course は省けます。--race main はその日のメインレースです。\n"
         "コマンド:\n"
         "  dates       保存されている日付（新しい順）\n"
         "  races DATE  その日のレース一覧（ウィンドウのレース一覧と同じ）\n"
         "  download [--from \"yyyy/mm/dd hh:nn:ss\"] [--write-through]\n"
         "              --from より新しい蓄積系データを取り込みます。省略時は前回の取得で覚えた\n"
         "              日時から（初めては8日前から）\n"
         "  figures DATE [--course 競馬場] [--race N] [--samples N] [--weight-switch 0|1] [--excel]\n"
         "              各馬の指数をCSVで標準出力へ（docs/figures-csv.md）。レースの指定がなければ\n"
         "              その日の全レース、--course だけならその競馬場の全レース\n"
         "              --samples N     3～20: 平均着差に使う過去走の数（省略時はプログラムの設定、\n"
         "                              初めは13）\n"
         "              --weight-switch 0 は負担重量無視、1 は負担重量補正（上がり3Fの指数、\n"
         "                              省略時はプログラムの設定、初めは0）\n"
         "              --excel         表計算ソフト向けに、BOM付きUTF-8・改行CR LFで出します\n"
         "  csv DATE... | csv --from DATE --to DATE\n"
         "              各日のCSV出力（CSV/yyyymmdd.csv）\n"
         "  export --sqlite FILE | --postgres \"CONNINFO\" [--from DATE] [--to DATE]\n"
         "              保存された日と各馬の指数を一つのSQLiteファイルかPostgreSQLのデータベースへ\n"
         "              （docs/sql.md）。変更のない日は省きます\n"         "  hit-report DATE [--threshold N]\n"
         "              その日の的中レポート（HPupload）。払戻がN円（0～999999999）を超えるもの\n"
         "  record-feed --out DIR [--from \"yyyy/mm/dd hh:nn:ss\"] [--option 1..4] [--realtime DATE]\n"
         "              JV-Link（または --feed）のデータをフィードフォルダに記録します\n"
         "  view DATE [--course 競馬場] [--race N] [--grid 名前] [--sort ボタン] [--samples N]\n"
         "       [--weight-switch 0|1]\n"
         "              一つのレースをウィンドウと同じに: 見出しのラベル、続いて各グリッドを\n"
         "              タブ区切りの行で（レースの指定がなければレース一覧の最初のレース）\n"
         "  history DATE [--course 競馬場] --race N --horse H\n"
         "              一頭の過去走（馬成績）をタブ区切りの行で\n"
         "  frequency --from DATE [--to DATE]\n"
         "              範囲内の保存された日の集計表と的中率\n"
         "  follow DATE [--clock \"yyyy-mm-dd hh:mm\"] [--clock-speed N] [--until hh:mm]\n"
         "              ウィンドウなしで当日のタイマーを動かします: 各レースの発走前にオッズ、\n"
         "              設定の間隔で成績と馬体重を取り、取得ごとに一行出します。--clock はその\n"
         "              時刻からN倍速で動かします（省略時は今、等速）。--until（省略時 18:00）か\n"
         "              Ctrl-C で終わります\n"
         "  jvlink-setup\n"
         "              JV-Linkの設定画面（JVLink設定）を開き、その結果コードを標準出力へ\n"
         "メッセージは標準エラー出力へ、標準出力にはコマンドの出力だけが出ます。\n"
         "終了コード: 0 正常終了。1 フォルダ・ファイル・データの失敗（標準エラー出力に理由）。\n"
         "            2 引数の誤り（標準エラー出力に一行で理由）\n";
}

}  // namespace zelkova::cli
