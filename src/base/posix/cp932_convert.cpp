#include "base/cp932_convert.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zelkova::detail {
namespace {

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

bool Convert(const char* to, const char* from, std::string_view in, std::string& out, size_t& bad) {
  thread_local Converters converters;
  iconv_t cd = converters.get(to, from);
  out.clear();
  out.reserve(in.size() * 3 / 2 + 8);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char buf[4096];
  while (src_left > 0) {
    char* dst = buf;
    size_t dst_left = sizeof buf;
    const size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buf, dst - buf);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ, or EINVAL for a sequence cut short at the end
      bad = in.size() - src_left;
      return false;
    }
  }
  char* dst = buf;
  size_t dst_left = sizeof buf;
  iconv(cd, nullptr, nullptr, &dst, &dst_left);
  out.append(buf, dst - buf);
  return true;
}

}  // namespace

bool SystemCp932ToUtf8(std::string_view in, std::string& out, size_t& bad) { return Convert("UTF-8", "CP932", in, out, bad); }

bool SystemUtf8ToCp932(std::string_view in, std::string& out, size_t& bad) { return Convert("CP932", "UTF-8", in, out, bad); }

}  // namespace zelkova::detail
