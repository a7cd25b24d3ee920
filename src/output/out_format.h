// Small text helpers shared by the outputs: printf-style numbers and fixed byte cuts of
// CP932 record fields.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zelkova::outfmt {

// One value through a printf format, e.g. Printf("%6.1f", 12.3) == "  12.3".
template <typename T>
std::string Printf(const char* format, T value) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, format, value);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), format, value);
  big.resize(static_cast<size_t>(n));
  return big;
}

// The first `n` bytes of `s`; a double-byte character that would be cut in half is replaced by
// a space, so the text keeps its width and stays valid CP932.
inline std::string FirstBytes(std::string_view s, size_t n) {
  std::string out(s.substr(0, n));
  size_t i = 0;
  while (i < out.size()) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (lead && i + 1 >= out.size()) {
      out[i] = ' ';
      break;
    }
    i += lead ? 2 : 1;
  }
  return out;
}

}  // namespace zelkova::outfmt
