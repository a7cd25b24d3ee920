#include "settings/gate_table.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "base/cp932.h"
#include "base/file_io.h"

namespace zelkova {
namespace {

constexpr size_t kRecordBytes = 576;
constexpr size_t kRecords = 15;
constexpr size_t kRowOffset = 288;

double LittleEndianDouble(const char* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(p[i]);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

}  // namespace

double GateTable::factor(int n, int p) const {
  if (n < 1 || p < 1) return 0;
  if (n <= 7) return p <= 7 ? small[static_cast<size_t>(p - 1)] : 0;
  if (n > 18 || p > 18) return 0;
  return rows[static_cast<size_t>(n - 8)][static_cast<size_t>(p - 1)];
}

Result<GateTable> LoadGateTable(const std::filesystem::path& file) {
  auto bytes = ReadFile(file);
  if (!bytes.ok()) {
    if (bytes.status().isNotFound()) return Status::NotFound(Sj("SetGate.tbl が見つかりません。"));
    return Status::IoError(Sj("SetGate.tbl を読み込めません：") + bytes.status().message());
  }
  if (bytes->size() < kRecords * kRecordBytes) {
    return Status::Corruption(Sj("SetGate.tbl が壊れています（") + std::to_string(bytes->size()) +
                              Sj("バイト。15件×576バイト以上が必要です）。インストールが正しく行われていない可能性があります。"));
  }
  GateTable table;
  for (size_t j = 0; j < table.rows.size(); ++j) {
    const char* rec = bytes->data() + (4 + j) * kRecordBytes + kRowOffset;
    for (size_t p = 0; p < 18; ++p) {
      double v = LittleEndianDouble(rec + 8 * p);
      // A factor that is not a number would silently poison every rating of that field size.
      if (!std::isfinite(v))
        return Status::Corruption(Sj("SetGate.tbl に数値でない値があります（") + std::to_string(8 + j) +
                                  Sj("頭立て、") + std::to_string(p + 1) + Sj("番目）。"));
      table.rows[j][p] = v;
    }
  }
  return table;
}

}  // namespace zelkova
