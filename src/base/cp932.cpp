#include "base/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace zelkova {
namespace {

// Converts with iconv; on an invalid or unconvertible sequence returns the offset in `bad`
// (or writes `replacement` and goes on when one is given).
bool Convert(const char* to, const char* from, std::string_view in, std::string& out, size_t* bad,
             std::string_view replacement, size_t skip_unit) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::fprintf(stderr, "iconv_open(%s, %s) failed\n", to, from);
    std::abort();
  }
  out.clear();
  out.reserve(in.size() * 3 / 2 + 8);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char buf[4096];
  bool ok = true;
  while (src_left > 0) {
    char* dst = buf;
    size_t dst_left = sizeof buf;
    size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buf, dst - buf);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (truncated sequence at the end)
      if (replacement.empty()) {
        if (bad) *bad = in.size() - src_left;
        ok = false;
        break;
      }
      out.append(replacement);
      size_t step = src_left < skip_unit ? src_left : skip_unit;
      src += step;
      src_left -= step;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  if (ok) {
    char* dst = buf;
    size_t dst_left = sizeof buf;
    iconv(cd, nullptr, nullptr, &dst, &dst_left);
    out.append(buf, dst - buf);
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

bool IsValidCp932(std::string_view bytes) {
  // Fast path: pure ASCII (the bulk of every record) needs no conversion.
  bool ascii = true;
  for (unsigned char c : bytes) {
    if (c >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return true;
  std::string out;
  return Convert("UTF-8", "CP932", bytes, out, nullptr, {}, 1);
}

Result<std::string> Cp932ToUtf8(std::string_view cp932) {
  std::string out;
  size_t bad = 0;
  if (!Convert("UTF-8", "CP932", cp932, out, &bad, {}, 1)) {
    return Status::Corruption("not CP932 text at byte " + std::to_string(bad + 1));
  }
  return out;
}

std::string Cp932ToUtf8Lossy(std::string_view cp932) {
  std::string out;
  Convert("UTF-8", "CP932", cp932, out, nullptr, "\xEF\xBF\xBD", 1);
  return out;
}

Result<std::string> Utf8ToCp932(std::string_view utf8) {
  std::string out;
  size_t bad = 0;
  if (!Convert("CP932", "UTF-8", utf8, out, &bad, {}, 1)) {
    return Status::InvalidArgument("text cannot be written in CP932 at byte " + std::to_string(bad + 1));
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
