// The window's SQL export: the core's export of every stored date into an SQLite file, with a
// progress bar that moves on after each date.
#pragma once

#include <QString>

#include "app/app_context.h"
#include "sql/sql_export.h"

class QWidget;

namespace zelkova::gui {

// Exports every stored date of ctx.programFolder into the SQLite file `file`, showing the
// progress over `parent`; the final count, or why it stopped, goes to ctx.prompts. Returns the
// count, or the error that ended the export.
Result<SqlExportSummary> ExportSqliteWithProgress(QWidget* parent, AppContext& ctx, const QString& file);

}  // namespace zelkova::gui
