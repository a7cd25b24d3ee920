// export: the stored dates, with this program's figures, into an SQLite file or a PostgreSQL
// database; progress on standard error.
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "app/headless_day.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "cli/commands.h"
#include "sql/sql_export.h"

namespace zelkova::cli {

int CmdExport(CliContext& ctx, const std::vector<std::string>& args) {
  std::string sqlite, postgres, from = "00000000", to = "99999999";
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
    if ((a == "--sqlite" || a == "--postgres") && value) {
      (a == "--sqlite" ? sqlite : postgres) = *value;
    } else if ((a == "--from" || a == "--to") && value) {
      std::string text;
      if (!DateOperand(ctx, *value, text)) return 2;
      (a == "--from" ? from : to) = text.substr(0, 4) + text.substr(6, 2) + text.substr(10, 2);
    } else if (a == "--sqlite" || a == "--postgres" || a == "--from" || a == "--to") {
      return BadArgument(ctx, a + " に値がありません");
    } else {
      return BadArgument(ctx, "export には「" + a + "」という引数はありません");
    }
    ++i;
  }
  if (sqlite.empty() == postgres.empty())
    return BadArgument(ctx, "書き出し先を --sqlite ファイル か --postgres \"接続文字列\" のどちらか一つで指定してください");
  // A build without that database says so before anything is read.
  if (sqlite.empty() ? !PostgresExportAvailable() : !SqliteExportAvailable()) {
    auto none = sqlite.empty() ? OpenPostgres(postgres) : OpenSqlite(sqlite);
    *ctx.err << "zelkova-cli: " << none.status().message() << "\n";
    return 1;
  }
  if (!ProgramFolderReady(ctx)) return 1;

  std::vector<std::string> dates;
  std::vector<std::string> stored = DateList(ctx.programFolder);
  std::reverse(stored.begin(), stored.end());  // oldest first
  for (const std::string& d : stored) {
    const std::string digits = d.substr(0, 4) + d.substr(6, 2) + d.substr(10, 2);
    if (digits >= from && digits <= to) dates.push_back(d);
  }
  if (dates.empty()) {
    *ctx.err << "zelkova-cli: 書き出す日がありません（" << from << "〜" << to << "）。\n";
    return 1;
  }
  auto db = sqlite.empty() ? OpenPostgres(postgres) : OpenSqlite(sqlite);
  if (!db.ok()) {
    *ctx.err << "zelkova-cli: " << db.status().message() << "\n";
    return 1;
  }
  auto sum = ExportToSql(**db, ctx.programFolder, dates, [&](const SqlExportProgress& p) {
    *ctx.err << "[" << p.index << "/" << p.total << "] " << p.date << " "
             << (p.state == SqlExportProgress::Written   ? "書き出しました"
                 : p.state == SqlExportProgress::Skipped ? "変更なし"
                                                         : "書き出せません: " + p.message);
    if (p.state != SqlExportProgress::Failed && !p.message.empty()) *ctx.err << "（" << p.message << "）";
    *ctx.err << "\n";
  });
  if (!sum.ok()) {
    *ctx.err << "zelkova-cli: " << sum.status().message()
             << "\nzelkova-cli: それまでに書き出した日はそのまま残っています。\n";
    return 1;
  }
  *ctx.err << SqlExportDoneText(*sum) << "\n";
  return sum->failed ? 1 : 0;
}

}  // namespace zelkova::cli
