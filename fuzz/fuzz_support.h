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

namespace zelkova::fuzz {

inline std::filesystem::path& ScratchSlot() {
  static std::filesystem::path root;
  return root;
}

// A folder of our own under the system temp folder ($TMPDIR), emptied once per process and
// removed when the run ends.
inline const std::filesystem::path& ScratchRoot(const char* name) {
  static const std::filesystem::path& root = [name]() -> const std::filesystem::path& {
    auto& p = ScratchSlot();
    p = std::filesystem::temp_directory_path() / (std::string("zelkova_") + name + "_" + std::to_string(::getpid()));
    std::error_code ec;
    std::filesystem::remove_all(p, ec);
    std::filesystem::create_directories(p, ec);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchSlot(), ignored);
    });
    return p;
  }();
  return root;
}

// Empties `dir` and creates it again.
inline void ResetDir(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  std::filesystem::create_directories(dir, ec);
}

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}
#define ZELKOVA_FUZZ_CHECK(cond) \
  do {                           \
    if (!(cond)) ::zelkova::fuzz::Fail(#cond); \
  } while (0)

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

}  // namespace zelkova::fuzz
