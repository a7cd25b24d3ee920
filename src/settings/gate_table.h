// GateTable: gate (starting position) factors by field size and position.
#pragma once

#include <array>
#include <filesystem>

#include "base/status.h"

namespace zelkova {

struct GateTable {
  // Fields of 1..7 runners, positions 1..7 (built in).
  std::array<double, 7> small{1.492, 1.439, 1.458, 1.464, 1.452, 1.436, 1.491};
  // Fields of 8..18 runners: rows[n - 8][p - 1], from SetGate.tbl records 4..14.
  std::array<std::array<double, 18>, 11> rows{};

  // Factor for the runner in slot p (1-based) of a race of n runners; 0 outside the table.
  double factor(int n, int p) const;
};

// Reads SetGate.tbl (576-byte records; records 4..14 hold the rows in bytes 288..431).
// NotFound when missing; Corruption when shorter than 15 records.
Result<GateTable> LoadGateTable(const std::filesystem::path& file);

}  // namespace zelkova
