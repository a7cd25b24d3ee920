#include "base/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zelkova {
namespace {

bool IsAscii(std::string_view bytes) {
  for (unsigned char c : bytes)
    if (c >= 0x80) return false;
  return true;
}

// The conversion descriptors of this thread, opened once per direction (opening one costs far
// more than converting a file name).
class Converters {
 public:
  ~Converters() {
    for (auto& c : open_) iconv_close(c.cd);
  }
  iconv_t get(const char* to, const char* from) {
    for (auto& c : open_)
      if (std::strcmp(c.to, to) == 0 && std::strcmp(c.from, from) == 0) {
        iconv(c.cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        return c.cd;
      }
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
      std::fprintf(stderr, "iconv_open(%s, %s) failed\n", to, from);
      std::abort();
    }
    open_.push_back({to, from, cd});
    return cd;
  }

 private:
  struct Open {
    const char* to;
    const char* from;
    iconv_t cd;
  };
  std::vector<Open> open_;
};

// Converts with iconv; on an invalid or unconvertible sequence returns the offset in `bad`
// (or writes `replacement` and goes on when one is given). ASCII is the same in both encodings.
bool Convert(const char* to, const char* from, std::string_view in, std::string& out, size_t* bad,
             std::string_view replacement, size_t skip_unit) {
  if (IsAscii(in)) {
    out.assign(in);
    return true;
  }
  thread_local Converters converters;
  iconv_t cd = converters.get(to, from);
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
  return ok;
}

// Which bytes and byte pairs the converter accepts, asked of it once, so that checking a record
// is a table walk instead of a conversion.
struct Cp932Table {
  enum : uint8_t { kBad, kSingle, kLead };
  uint8_t kind[256];
  std::vector<bool> pair = std::vector<bool>(65536);

  Cp932Table() {
    std::string out;
    size_t bad = 0;
    for (int b = 0; b < 256; ++b) {
      const char one[1] = {static_cast<char>(b)};
      if (Convert("UTF-8", "CP932", std::string_view(one, 1), out, &bad, {}, 1)) {
        kind[b] = kSingle;
        continue;
      }
      kind[b] = kBad;
      for (int t = 0; t < 256; ++t) {
        const char two[2] = {static_cast<char>(b), static_cast<char>(t)};
        if (Convert("UTF-8", "CP932", std::string_view(two, 2), out, &bad, {}, 1)) {
          pair[static_cast<size_t>(b << 8 | t)] = true;
          kind[b] = kLead;
        }
      }
    }
  }
};

}  // namespace

bool IsValidCp932(std::string_view bytes) {
  // Pure ASCII (the bulk of every record) needs no table.
  if (IsAscii(bytes)) return true;
  static const Cp932Table table;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  for (size_t i = 0; i < n;) {
    const uint8_t k = table.kind[p[i]];
    if (k == Cp932Table::kSingle) {
      ++i;
    } else if (k == Cp932Table::kLead && i + 1 < n && table.pair[static_cast<size_t>(p[i] << 8 | p[i + 1])]) {
      i += 2;
    } else {
      return false;
    }
  }
  return true;
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
