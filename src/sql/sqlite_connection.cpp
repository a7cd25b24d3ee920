#include <sqlite3.h>

#include "sql/sql_connection.h"

namespace zelkova {

namespace {

class SqliteConnection : public SqlConnection {
 public:
  explicit SqliteConnection(sqlite3* db) : db_(db) {}
  ~SqliteConnection() override {
    for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
    sqlite3_close(db_);
  }

  Status Execute(const std::string& sql) override {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) == SQLITE_OK) return Status::Ok();
    std::string m = err ? err : sqlite3_errmsg(db_);
    sqlite3_free(err);
    return Status::IoError(m);
  }

  Result<int> Prepare(const std::string& sql) override {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
        SQLITE_OK)
      return Status::IoError(sqlite3_errmsg(db_));
    statements_.push_back(s);
    return static_cast<int>(statements_.size() - 1);
  }

  Status Run(int statement, const std::vector<SqlValue>& params) override {
    sqlite3_stmt* s = statements_[static_cast<size_t>(statement)];
    if (Status b = Bind(s, params); !b.ok()) return b;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
      // A row that breaks a key is the rows' fault, not the database's.
      Status e = (rc & 0xff) == SQLITE_CONSTRAINT ? Status::Corruption(sqlite3_errmsg(db_)) : Status::IoError(sqlite3_errmsg(db_));
      sqlite3_reset(s);
      return e;
    }
    sqlite3_reset(s);
    return Status::Ok();
  }

  Result<SqlRows> Query(int statement, const std::vector<SqlValue>& params) override {
    sqlite3_stmt* s = statements_[static_cast<size_t>(statement)];
    if (Status b = Bind(s, params); !b.ok()) return b;
    SqlRows rows;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      auto& row = rows.emplace_back();
      for (int c = 0, n = sqlite3_column_count(s); c < n; ++c) {
        const unsigned char* t = sqlite3_column_text(s, c);
        row.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
      }
    }
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) return Status::IoError(sqlite3_errmsg(db_));
    return rows;
  }

  const char* Dialect() const override { return "sqlite"; }

 private:
  Status Bind(sqlite3_stmt* s, const std::vector<SqlValue>& params) {
    for (size_t k = 0; k < params.size(); ++k) {
      const SqlValue& v = params[k];
      const int at = static_cast<int>(k + 1);
      int rc = SQLITE_OK;
      switch (v.kind) {
        case SqlValue::Null: rc = sqlite3_bind_null(s, at); break;
        case SqlValue::Integer: rc = sqlite3_bind_int64(s, at, v.i); break;
        case SqlValue::Real: rc = sqlite3_bind_double(s, at, v.d); break;
        case SqlValue::Text:
          rc = sqlite3_bind_text(s, at, v.t.data(), static_cast<int>(v.t.size()), SQLITE_STATIC);
          break;
      }
      if (rc != SQLITE_OK) return Status::IoError(sqlite3_errmsg(db_));
    }
    return Status::Ok();
  }

  sqlite3* db_;
  std::vector<sqlite3_stmt*> statements_;
};

}  // namespace

bool SqliteExportAvailable() { return true; }

Result<std::unique_ptr<SqlConnection>> OpenSqlite(const std::string& path) {
  sqlite3* db = nullptr;
  // One thread uses the connection: no locking inside SQLite around every call.
  const int rc =
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string m = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return Status::IoError(path + ": " + m);
  }
  // A file or folder the user may not write is opened for reading without a word; say it now,
  // before any date is begun.
  if (sqlite3_db_readonly(db, "main") == 1) {
    sqlite3_close(db);
    return Status::IoError(path + ": 読み取り専用のため書き込めません。書き込めるファイルを指定してください。");
  }
  sqlite3_busy_timeout(db, 5000);
  auto conn = std::make_unique<SqliteConnection>(db);
  // A rollback journal keeps the file whole when the program is killed mid-date; NORMAL
  // synchronisation is enough for that, since a commit either reached the file or did not. The
  // page cache holds a date's pages, so that none is written out (and journalled) twice within
  // its transaction.
  if (Status s = conn->Execute("PRAGMA journal_mode=DELETE; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-32768; "
                               "PRAGMA foreign_keys=OFF;");
      !s.ok())
    return Status::IoError(path + ": " + s.message());
  return std::unique_ptr<SqlConnection>(std::move(conn));
}

}  // namespace zelkova
