#include <libpq-fe.h>

#include <cstdio>

#include "sql/sql_connection.h"

namespace zelkova {

namespace {

std::string Trimmed(const char* m) {
  std::string s = m ? m : "";
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

class PostgresConnection : public SqlConnection {
 public:
  explicit PostgresConnection(PGconn* c) : conn_(c) {}
  ~PostgresConnection() override { PQfinish(conn_); }

  Status Execute(const std::string& sql) override {
    PGresult* r = PQexec(conn_, sql.c_str());
    return Finish(r);
  }

  Result<int> Prepare(const std::string& sql) override {
    const std::string name = "z" + std::to_string(count_);
    PGresult* r = PQprepare(conn_, name.c_str(), sql.c_str(), 0, nullptr);
    if (Status s = Finish(r); !s.ok()) return s;
    return count_++;
  }

  Status Run(int statement, const std::vector<SqlValue>& params) override {
    return Finish(Exec(statement, params));
  }

  Result<SqlRows> Query(int statement, const std::vector<SqlValue>& params) override {
    PGresult* r = Exec(statement, params);
    if (PQresultStatus(r) != PGRES_TUPLES_OK) return Finish(r);
    SqlRows rows;
    for (int i = 0, n = PQntuples(r); i < n; ++i) {
      auto& row = rows.emplace_back();
      for (int c = 0, m = PQnfields(r); c < m; ++c) row.emplace_back(PQgetvalue(r, i, c));
    }
    PQclear(r);
    return rows;
  }

  const char* Dialect() const override { return "postgres"; }

 private:
  // Values go as text; the server reads each in its column's type.
  PGresult* Exec(int statement, const std::vector<SqlValue>& params) {
    texts_.resize(params.size());
    values_.resize(params.size());
    for (size_t k = 0; k < params.size(); ++k) {
      const SqlValue& v = params[k];
      switch (v.kind) {
        case SqlValue::Null: values_[k] = nullptr; continue;
        case SqlValue::Integer: texts_[k] = std::to_string(v.i); break;
        case SqlValue::Real: {
          char buf[40];
          std::snprintf(buf, sizeof buf, "%.17g", v.d);
          texts_[k] = buf;
          break;
        }
        case SqlValue::Text: texts_[k] = v.t; break;
      }
      values_[k] = texts_[k].c_str();
    }
    const std::string name = "z" + std::to_string(statement);
    return PQexecPrepared(conn_, name.c_str(), static_cast<int>(params.size()), values_.data(), nullptr, nullptr, 0);
  }

  Status Finish(PGresult* r) {
    const ExecStatusType st = PQresultStatus(r);
    Status s = Status::Ok();
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
      std::string m = Trimmed(r ? PQresultErrorMessage(r) : PQerrorMessage(conn_));
      // Class 23 is a row that breaks a key or constraint: the rows' fault, not the database's.
      const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
      s = state && state[0] == '2' && state[1] == '3' ? Status::Corruption(std::move(m)) : Status::IoError(std::move(m));
    }
    PQclear(r);
    return s;
  }

  PGconn* conn_;
  int count_ = 0;
  std::vector<std::string> texts_;
  std::vector<const char*> values_;
};

}  // namespace

bool PostgresExportAvailable() { return true; }

Result<std::unique_ptr<SqlConnection>> OpenPostgres(const std::string& conninfo) {
  PGconn* c = PQconnectdb(conninfo.c_str());
  if (PQstatus(c) != CONNECTION_OK) {
    std::string m = Trimmed(PQerrorMessage(c));
    PQfinish(c);
    return Status::IoError("PostgreSQL: " + m);
  }
  PQsetClientEncoding(c, "UTF8");
  auto conn = std::make_unique<PostgresConnection>(c);
  // Notices (a table that already exists) are not the user's business.
  conn->Execute("SET client_min_messages = warning");
  return std::unique_ptr<SqlConnection>(std::move(conn));
}

}  // namespace zelkova
