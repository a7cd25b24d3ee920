// A build without the database libraries (the Windows cross-builds): the export says so.
#include "sql/sql_connection.h"

namespace zelkova {

bool SqliteExportAvailable() { return false; }

Result<std::unique_ptr<SqlConnection>> OpenSqlite(const std::string&) {
  return Status::IoError("SQLiteへの書き出しはこの版ではできません。");
}
Result<std::unique_ptr<SqlConnection>> OpenPostgres(const std::string&) {
  return Status::IoError("PostgreSQLへの書き出しはこの版ではできません。");
}

}  // namespace zelkova
