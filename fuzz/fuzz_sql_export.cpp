// Arbitrary bytes as the stored files of one race day, exported into a fresh SQLite database in
// memory. Whatever the files hold, the export returns; the date is written or failed with a
// message, never half: a failed date leaves no rows, a written one its stamp; and an export of
// the same files again is skipped as unchanged.
// Input: the parts race_day_files.h writes (the same corpus as fuzz_race_day).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "race_day_files.h"
#include "sql/sql_connection.h"
#include "sql/sql_export.h"

using namespace zelkova;

namespace {

long long Count(SqlConnection& db, const std::string& sql) {
  auto q = db.Prepare(sql);
  ZELKOVA_FUZZ_CHECK(q.ok());
  auto rows = db.Query(*q, {});
  ZELKOVA_FUZZ_CHECK(rows.ok() && rows->size() == 1 && rows->front().size() == 1);
  return std::stoll(rows->front().front());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1500000) return 0;
  auto parts = fuzz::SplitParts(data, size, fuzz::kRaceDayParts);
  const auto& root = fuzz::ScratchRoot("sql_export");
  const std::string date = DateText("20240512");
  fuzz::WriteRaceDayFiles(root, date, parts);

  auto db = OpenSqlite(":memory:");
  ZELKOVA_FUZZ_CHECK(db.ok());
  ZELKOVA_FUZZ_CHECK(PrepareSchema(**db).ok());
  std::vector<SqlExportProgress> seen;
  auto keep = [&](const SqlExportProgress& p) { seen.push_back(p); };
  auto first = ExportToSql(**db, root, {date}, keep);
  ZELKOVA_FUZZ_CHECK(first.ok());
  ZELKOVA_FUZZ_CHECK(first->written + first->failed == 1 && first->skipped == 0 && seen.size() == 1);
  const long long stamps = Count(**db, "SELECT COUNT(*) FROM export_stamps");
  const long long races = Count(**db, "SELECT COUNT(*) FROM races");
  if (first->failed) {
    ZELKOVA_FUZZ_CHECK(!seen[0].message.empty() && stamps == 0 && races == 0);
    return 0;
  }
  ZELKOVA_FUZZ_CHECK(stamps == 1);
  auto again = ExportToSql(**db, root, {date}, keep);
  ZELKOVA_FUZZ_CHECK(again.ok() && again->skipped == 1);
  ZELKOVA_FUZZ_CHECK(Count(**db, "SELECT COUNT(*) FROM races") == races);
  return 0;
}
