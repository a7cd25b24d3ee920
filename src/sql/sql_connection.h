// SqlConnection: the few calls the export makes of a database, the same for SQLite and
// PostgreSQL. Statements take their values as parameters ($1, $2 … in the text), never glued into
// the text. Messages are UTF-8.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/status.h"

namespace zelkova {

struct SqlValue {
  enum Kind { Null, Integer, Real, Text } kind = Null;
  long long i = 0;
  double d = 0;
  std::string t;

  void SetNull() { kind = Null; }
  void Set(long long v) { kind = Integer; i = v; }
  void Set(double v) { kind = Real; d = v; }
  void Set(std::string v) { kind = Text; t = std::move(v); }
};

using SqlRows = std::vector<std::vector<std::string>>;  // text of each cell; NULL reads as ""

class SqlConnection {
 public:
  virtual ~SqlConnection() = default;
  // One statement without parameters (tables, transactions).
  virtual Status Execute(const std::string& sql) = 0;
  // Prepares `sql` once; the handle stays valid for the connection's life.
  virtual Result<int> Prepare(const std::string& sql) = 0;
  // Runs a prepared statement with `params` (as many as it has placeholders).
  virtual Status Run(int statement, const std::vector<SqlValue>& params) = 0;
  // Runs a prepared query and returns its rows.
  virtual Result<SqlRows> Query(int statement, const std::vector<SqlValue>& params) = 0;
  // "sqlite" or "postgres", for the few places the two differ.
  virtual const char* Dialect() const = 0;
};

// Whether this build can write SQLite files (a build without SQLite cannot).
bool SqliteExportAvailable();
// Opens (creating when missing) the SQLite file at `path` (UTF-8). IoError with a message for the
// user when it cannot be opened or written; on a build without SQLite, always that error.
Result<std::unique_ptr<SqlConnection>> OpenSqlite(const std::string& path);
// Whether this build can write to PostgreSQL (the Windows builds cannot).
bool PostgresExportAvailable();
// Connects to PostgreSQL with a libpq connection string ("host=… dbname=…"). On a build without
// libpq (the Windows builds), always an IoError saying so.
Result<std::unique_ptr<SqlConnection>> OpenPostgres(const std::string& conninfo);

}  // namespace zelkova
