// Shared pieces of the fuzz targets: a private scratch folder per process, a check that aborts
// (so libFuzzer records the input), and a reader that cuts the input into parts.
#pragma once
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_io.h"

namespace zelkova::fuzz {

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}
#define ZELKOVA_FUZZ_CHECK(cond) \
  do {                           \
    if (!(cond)) ::zelkova::fuzz::Fail(#cond); \
  } while (0)

inline std::filesystem::path& ScratchSlot() {
  static std::filesystem::path root;
  return root;
}

// Removes the scratch folders `prefix<pid>` under `dir` that a run of the same target left when
// it crashed (an abort skips the atexit clean-up), keeping those of runs still going.
inline void RemoveDeadSiblings(const std::filesystem::path& dir, const std::string& prefix, long self) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    if (file.size() <= prefix.size() || file.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string digits = file.substr(prefix.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const long pid = std::stol(digits);
    if (pid == self || ProcessRuns(pid)) continue;
    std::error_code ignored;
    std::filesystem::remove_all(it->path(), ignored);
  }
}

// A folder of our own under the system temp folder ($TMPDIR), emptied once per process and
// removed when the run ends. Folders of earlier runs of the same target that died go first.
inline const std::filesystem::path& ScratchRoot(const char* name) {
  static const std::filesystem::path& root = [name]() -> const std::filesystem::path& {
    auto& p = ScratchSlot();
    std::error_code ec;
    const std::filesystem::path tmp = std::filesystem::temp_directory_path(ec);
    if (ec) Fail("no temp folder (set TMPDIR)");
    const std::string prefix = std::string("zelkova_") + name + "_";
    const long self = static_cast<long>(::getpid());
    RemoveDeadSiblings(tmp, prefix, self);
    p = tmp / (prefix + std::to_string(self));
    std::filesystem::remove_all(p, ec);
    ec.clear();
    std::filesystem::create_directories(p, ec);
    if (ec || !std::filesystem::is_directory(p)) Fail("cannot create the scratch folder");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchSlot(), ignored);
    });
    return p;
  }();
  return root;
}

// Empties `dir` and creates it again; aborts when it cannot, since every check after it would
// test nothing.
inline void ResetDir(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  if (ec) Fail("cannot empty a scratch folder");
  std::filesystem::create_directories(dir, ec);
  if (ec || !std::filesystem::is_directory(dir)) Fail("cannot create a scratch folder");
}

// Creates `dir` (and its parents) or aborts.
inline void MakeDir(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec || !std::filesystem::is_directory(dir)) Fail("cannot create a scratch folder");
}

// Splits the input at every occurrence of kSeparator, so one input can carry several files and
// a corpus can be written by joining real files.
inline constexpr std::string_view kSeparator = "\n@@ZELKOVA@@\n";
inline std::vector<std::string_view> SplitParts(const uint8_t* data, size_t size, size_t maxParts) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  while (parts.size() + 1 < maxParts) {
    size_t at = all.find(kSeparator);
    if (at == std::string_view::npos) break;
    parts.push_back(all.substr(0, at));
    all.remove_prefix(at + kSeparator.size());
  }
  parts.push_back(all);
  parts.resize(maxParts);
  return parts;
}

// Takes integers off the front of the input.
struct Bytes {
  std::string_view rest;
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4 && !rest.empty(); ++i) {
      v |= static_cast<uint32_t>(static_cast<uint8_t>(rest[0])) << (8 * i);
      rest.remove_prefix(1);
    }
    return v;
  }
  uint8_t U8() {
    if (rest.empty()) return 0;
    uint8_t v = static_cast<uint8_t>(rest[0]);
    rest.remove_prefix(1);
    return v;
  }
};

// Hands out the input piece by piece, wrapping around so that every image of a model gets bytes
// however short the input is.
struct CyclicSource {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  std::string_view Next(size_t len) {
    if (size == 0) return {};
    if (pos >= size) pos = 0;
    const size_t n = len < size - pos ? len : size - pos;
    std::string_view s(reinterpret_cast<const char*>(data + pos), n);
    pos += n;
    return s;
  }
  uint8_t Byte() {
    std::string_view s = Next(1);
    return s.empty() ? 0 : static_cast<uint8_t>(s[0]);
  }
};

}  // namespace zelkova::fuzz
