// A build without SQLite: the SQLite export says so.
#include "sql/sql_connection.h"

namespace zelkova {

bool SqliteExportAvailable() { return false; }

Result<std::unique_ptr<SqlConnection>> OpenSqlite(const std::string&) {
  return Status::IoError("SQLiteへの書き出しはこの版ではできません。");
}

}  // namespace zelkova
