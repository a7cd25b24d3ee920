// Record images: one JV-Data record as its fixed-length CP932 text, CR LF included.
// Fields are cut by 1-based byte position and length, exactly as JV-Data defines them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/fixed_fields.h"

namespace zelkova {

// Record lengths including CR LF.
inline constexpr size_t kLenRA = 1272;
inline constexpr size_t kLenSE = 555;
inline constexpr size_t kLenHR = 719;
inline constexpr size_t kLenWH = 847;
inline constexpr size_t kLenO1 = 962;
inline constexpr size_t kLenO2 = 2042;
inline constexpr size_t kLenUM = 1609;
inline constexpr size_t kLenKS = 4173;
inline constexpr size_t kLenCH = 3862;
inline constexpr size_t kLenLegacyUM = 1577;
// Change notices: weather and going, scratches, jockey, post-time and course changes.
inline constexpr size_t kLenWE = 42, kLenAV = 78, kLenJC = 161, kLenTC = 45, kLenCC = 50;

// An empty image: `len` spaces.
inline std::string BlankRecord(size_t len) { return std::string(len, ' '); }

}  // namespace zelkova
