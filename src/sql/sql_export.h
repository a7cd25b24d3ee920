// The export of stored dates into an SQL database: one schema for SQLite and PostgreSQL, one
// transaction per date that replaces that date's rows, and a stamp per date of the stored files
// it was made from, so that an unchanged date is skipped. Messages are UTF-8.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "sql/sql_connection.h"

namespace zelkova {

inline constexpr int kSqlSchemaVersion = 1;

struct SqlExportProgress {
  std::string date;  // yyyy-mm-dd
  int index = 0;     // 1-based, of `total`
  int total = 0;
  enum State { Written, Skipped, Failed } state = Written;
  std::string message;  // why it failed, or a warning of the load
};

struct SqlExportSummary {
  int written = 0, skipped = 0, failed = 0;
};

// Creates the tables of a new database, or checks the version of an existing one (an older one
// is brought up to date; a newer or foreign one is refused with a message saying what to do).
Status PrepareSchema(SqlConnection& db);

// Exports the stored dates `dates` (14-byte date texts, oldest first) of `programFolder`.
// `progress` hears of each date after it is done. A failed date keeps its earlier rows and the
// export goes on with the next; an error of the database itself ends the export.
Result<SqlExportSummary> ExportToSql(SqlConnection& db, const std::filesystem::path& programFolder,
                                     const std::vector<std::string>& dates,
                                     const std::function<void(const SqlExportProgress&)>& progress);

// The final count for the user: "12日を書き出しました（変更のない3日は省きました）。" and the failures.
std::string SqlExportDoneText(const SqlExportSummary& s);

}  // namespace zelkova
