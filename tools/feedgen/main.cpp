// zelkova-feedgen: writes a deterministic synthetic JV-Data feed folder.
//   zelkova-feedgen --out DIR [--seed N] [--scale demo|test|year] [--today yyyy-mm-dd]
// Exit 0 on success, 1 when writing fails, 2 on bad arguments or a folder it may not overwrite.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include <system_error>

#include "base/console.h"
#include "base/file_io.h"
#include "calendar.h"
#include "feed_writer.h"
#include "world.h"

namespace fs = std::filesystem;
using namespace zelkova::feedgen;

namespace {

int Usage(const std::string& why) {
  std::fprintf(stderr, "zelkova-feedgen: %s\n", why.c_str());
  std::fprintf(stderr, "usage: zelkova-feedgen --out DIR [--seed N] [--scale demo|test|year] [--today yyyy-mm-dd]\n");
  return 2;
}

bool ParseSeed(const std::string& s, uint64_t& seed) {
  if (s.empty() || s.size() > 19) return false;
  seed = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    seed = seed * 10 + static_cast<uint64_t>(c - '0');
  }
  return true;
}

// Our own entries in a previous feed; anything else (an inject.txt a test added) is kept.
const char* const kOwnEntries[] = {"stored", "realtime", "video", "jikeiretu", "legacy", "version.txt", "README.txt"};

bool IsPreviousFeed(const fs::path& dir) {
  auto readme = zelkova::ReadFile(dir / "README.txt");
  return readme.ok() && readme->rfind(kFeedMarker, 0) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, scaleName = "test";
  uint64_t seed = 1;
  int today = DayNumber(2024, 5, 19);
  zelkova::SetUpConsoleOutput();
  const std::vector<std::string> args = zelkova::Utf8Arguments(argc, argv);
  const size_t n = args.size();
  for (size_t i = 0; i < n; ++i) {
    std::string a = args[i];
    if (a == "--help" || a == "-h") {
      Usage("writes a synthetic JV-Data feed folder");
      return 0;
    }
    if (i + 1 >= n) return Usage("missing value after " + a);
    std::string v = args[++i];
    if (a == "--out") out = v;
    else if (a == "--seed") {
      if (!ParseSeed(v, seed)) return Usage("--seed takes a non-negative integer, not '" + v + "'");
    } else if (a == "--scale") {
      if (v != "demo" && v != "test" && v != "year") return Usage("--scale is demo, test or year, not '" + v + "'");
      scaleName = v;
    } else if (a == "--today") {
      if (!ParseIsoDate(v, today)) return Usage("--today takes a date yyyy-mm-dd, not '" + v + "'");
    } else {
      return Usage("unknown argument " + a);
    }
  }
  if (out.empty()) return Usage("--out DIR is required");
  const fs::path dir = zelkova::PathFromUtf8(out);
  std::error_code ec;
  if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) return Usage(out + " exists and is not a folder");
  if (fs::is_directory(dir, ec) && !fs::is_empty(dir, ec)) {
    if (!IsPreviousFeed(dir)) {
      std::fprintf(stderr, "zelkova-feedgen: %s is not empty and holds no previous feed; not overwriting it\n", out.c_str());
      return 2;
    }
    for (const char* e : kOwnEntries) {
      fs::remove_all(dir / e, ec);
      if (ec) {
        std::fprintf(stderr, "zelkova-feedgen: cannot remove %s: %s\n", zelkova::PathToUtf8(dir / e).c_str(), ec.message().c_str());
        return 1;
      }
    }
  }
  Scale scale = scaleName == "demo" ? Scale::kDemo : scaleName == "year" ? Scale::kYear : Scale::kTest;
  World world = BuildWorld(seed, scale, today);
  FeedSummary sum;
  zelkova::Status s = WriteFeed(world, dir, scaleName, &sum);
  if (!s.ok()) {
    std::fprintf(stderr, "zelkova-feedgen: writing the feed failed: %s\n", s.message().c_str());
    return 1;
  }
  std::printf("zelkova-feedgen: %s scale, seed %llu: %d racecourse-days, %d races, %d starters, %d files, %llu bytes in %s\n",
              scaleName.c_str(), static_cast<unsigned long long>(seed), sum.raceDays, sum.races, sum.starters, sum.files,
              static_cast<unsigned long long>(sum.bytes), out.c_str());
  return 0;
}
