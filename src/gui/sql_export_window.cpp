#include "gui/sql_export_window.h"

#include <QApplication>
#include <QProgressDialog>
#include <algorithm>
#include <string>
#include <vector>

#include "app/startup.h"
#include "base/cp932.h"
#include "gui/qt_platform.h"

namespace zelkova::gui {

namespace {

void Tell(AppContext& ctx, const std::string& utf8) {
  if (ctx.prompts) ctx.prompts->information(Utf8ToCp932Lossy(utf8));
}

}  // namespace

Result<SqlExportSummary> ExportSqliteWithProgress(QWidget* parent, AppContext& ctx, const QString& file) {
  std::vector<std::string> dates = DateList(ctx.programFolder);
  std::reverse(dates.begin(), dates.end());  // oldest first
  if (dates.empty()) {
    Tell(ctx, "書き出す日がありません。先にデータを取得してください。");
    return Status::NotFound("no stored date");
  }
  auto db = OpenSqlite(file.toStdString());
  if (!db.ok()) {
    Tell(ctx, db.status().message());
    return db.status();
  }
  QProgressDialog bar(U("SQLに書き出しています…"), QString(), 0, static_cast<int>(dates.size()), parent);
  bar.setObjectName("SqlExportProgress");
  bar.setWindowTitle(U("SQLに書き出し"));
  bar.setWindowModality(Qt::WindowModal);
  bar.setMinimumDuration(0);
  bar.setValue(0);
  auto sum = ExportToSql(**db, ctx.programFolder, dates, [&](const SqlExportProgress& p) {
    bar.setLabelText(QString::fromStdString(p.date + " (" + std::to_string(p.index) + "/" + std::to_string(p.total) + ")"));
    bar.setValue(p.index);
    QApplication::processEvents();
  });
  bar.reset();
  if (!sum.ok()) {
    Tell(ctx, sum.status().message() + "\nそれまでに書き出した日はそのまま残っています。");
    return sum.status();
  }
  Tell(ctx, SqlExportDoneText(*sum));
  return sum;
}

}  // namespace zelkova::gui
