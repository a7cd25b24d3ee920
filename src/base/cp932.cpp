#include "base/cp932.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <vector>

#include "base/cp932_convert.h"

namespace zelkova {
namespace {

// The end of the run of ASCII bytes that starts at `i`, eight bytes at a time: records are
// mostly ASCII, and a download checks hundreds of megabytes of them.
size_t AsciiRunEnd(const unsigned char* p, size_t n, size_t i) {
  constexpr uint64_t kHighBits = 0x8080808080808080ULL;
  for (uint64_t w; i + 8 <= n; i += 8) {
    std::memcpy(&w, p + i, 8);
    if (w & kHighBits) break;
  }
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

bool IsAscii(std::string_view bytes) {
  return AsciiRunEnd(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0) == bytes.size();
}

// ASCII is the same in both encodings and needs no converter.
bool Cp932ToUtf8Strict(std::string_view in, std::string& out, size_t& bad) {
  if (IsAscii(in)) {
    out.assign(in);
    return true;
  }
  return detail::SystemCp932ToUtf8(in, out, bad);
}

bool Utf8ToCp932Strict(std::string_view in, std::string& out, size_t& bad) {
  if (IsAscii(in)) {
    out.assign(in);
    return true;
  }
  return detail::SystemUtf8ToCp932(in, out, bad);
}

// Which bytes and byte pairs the converter accepts, asked of it once, so that checking a record
// is a table walk instead of a conversion.
struct Cp932Table {
  enum : uint8_t { kBad, kSingle, kLead };
  uint8_t kind[256];
  std::vector<uint8_t> pair = std::vector<uint8_t>(65536);  // bytes, not bits: read once per character

  Cp932Table() {
    std::string out;
    size_t bad = 0;
    for (int b = 0; b < 256; ++b) {
      const char one[1] = {static_cast<char>(b)};
      // ASCII is the same in both; the converter is asked about the rest.
      if (b < 0x80 || detail::SystemCp932ToUtf8(std::string_view(one, 1), out, bad)) {
        kind[b] = kSingle;
        continue;
      }
      kind[b] = kBad;
      for (int t = 0; t < 256; ++t) {
        const char two[2] = {static_cast<char>(b), static_cast<char>(t)};
        if (detail::SystemCp932ToUtf8(std::string_view(two, 2), out, bad)) {
          pair[static_cast<size_t>(b << 8 | t)] = 1;
          kind[b] = kLead;
        }
      }
    }
  }
};

const Cp932Table& Table() {
  static const Cp932Table table;
  return table;
}

// Length of the valid character at `i`, 0 when the bytes there are not one.
size_t CharLength(const Cp932Table& table, const unsigned char* p, size_t n, size_t i) {
  const uint8_t k = table.kind[p[i]];
  if (k == Cp932Table::kSingle) return 1;
  if (k == Cp932Table::kLead && i + 1 < n && table.pair[static_cast<size_t>(p[i] << 8 | p[i + 1])]) return 2;
  return 0;
}

}  // namespace

bool IsValidCp932(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  // ASCII (the bulk of every record) needs no table.
  size_t i = AsciiRunEnd(p, n, 0);
  if (i == n) return true;
  const Cp932Table& table = Table();
  while (i < n) {
    if (p[i] < 0x80) {
      i = AsciiRunEnd(p, n, i);
      continue;
    }
    const size_t len = CharLength(table, p, n, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string_view Cp932Prefix(std::string_view s, size_t n) {
  if (s.size() <= n) return s;
  size_t i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t w = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
    if (i + w > n) break;
    i += w;
  }
  return s.substr(0, i);
}

Result<std::string> Cp932ToUtf8(std::string_view cp932) {
  std::string out;
  size_t bad = 0;
  if (!Cp932ToUtf8Strict(cp932, out, bad)) {
    return Status::Corruption("not CP932 text at byte " + std::to_string(bad + 1));
  }
  return out;
}

std::string Cp932ToUtf8Lossy(std::string_view cp932) {
  std::string out;
  size_t bad = 0;
  if (Cp932ToUtf8Strict(cp932, out, bad)) return out;
  // Valid runs convert as a whole; each byte that starts no character becomes U+FFFD.
  const Cp932Table& table = Table();
  const auto* p = reinterpret_cast<const unsigned char*>(cp932.data());
  const size_t n = cp932.size();
  out.clear();
  std::string run;
  for (size_t i = 0; i < n;) {
    size_t end = i;
    for (size_t len; end < n && (len = CharLength(table, p, n, end)) > 0;) end += len;
    if (end > i && Cp932ToUtf8Strict(cp932.substr(i, end - i), run, bad)) out += run;
    if (end < n) out += "\xEF\xBF\xBD";
    i = end + 1;
  }
  return out;
}

Result<std::string> Utf8ToCp932(std::string_view utf8) {
  std::string out;
  size_t bad = 0;
  if (!Utf8ToCp932Strict(utf8, out, bad)) {
    return Status::InvalidArgument("text cannot be written in CP932 at byte " + std::to_string(bad + 1));
  }
  return out;
}

std::string Utf8ToCp932Lossy(std::string_view utf8) {
  std::string out;
  size_t bad = 0;
  if (Utf8ToCp932Strict(utf8, out, bad)) return out;
  out.clear();
  std::string one;
  for (size_t i = 0; i < utf8.size();) {
    size_t len = detail::Utf8Length(static_cast<unsigned char>(utf8[i]));
    if (len == 0 || i + len > utf8.size()) len = 1;
    out += Utf8ToCp932Strict(utf8.substr(i, len), one, bad) ? one : std::string("?");
    i += len;
  }
  return out;
}

std::string Sj(std::string_view utf8_literal) {
  auto r = Utf8ToCp932(utf8_literal);
  if (!r.ok()) {
    std::fprintf(stderr, "literal not representable in CP932: %.*s\n",
                 static_cast<int>(utf8_literal.size()), utf8_literal.data());
    std::abort();
  }
  return std::move(r).value();
}

}  // namespace zelkova
