// A build without libpq (the Windows builds): the PostgreSQL export says so and what to use instead.
#include "sql/sql_connection.h"

namespace zelkova {

bool PostgresExportAvailable() { return false; }

Result<std::unique_ptr<SqlConnection>> OpenPostgres(const std::string&) {
  return Status::IoError(
      "PostgreSQLへの書き出しはこの版ではできません。SQLiteのファイルへは --sqlite ファイル で書き出せます。");
}

}  // namespace zelkova
