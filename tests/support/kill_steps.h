// Crash tests for the writers of stored files: a command killed at each step that changes the disk
// (a temporary file written, linked or renamed over its target) must leave every file of the tree
// as it was before the command, as a complete run leaves it or as the run saved it on the way
// (a merge of several records saves after each), and nothing anywhere else.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "base/file_io.h"
#include "test_support.h"

namespace zelkova::testing {

// Every regular file below `root` with its bytes, leaving out the temporaries that an atomic
// write cut short leaves behind (the next writer sweeps them).
using TreeBytes = std::map<std::filesystem::path, std::string>;
inline TreeBytes ReadTree(const std::filesystem::path& root) {
  TreeBytes tree;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    const std::string name = PathToUtf8(e.path().filename());
    const size_t tmp = name.rfind(".tmp");
    if (tmp != std::string::npos && tmp + 4 < name.size() && name[tmp + 4] >= '0' && name[tmp + 4] <= '9') continue;
    tree[e.path()] = ReadBytes(e.path());
  }
  return tree;
}

// The files that differ between two trees, by name ("" when none): a readable failure.
inline std::string TreeDiff(const TreeBytes& a, const TreeBytes& b) {
  std::string out;
  for (const auto& [p, bytes] : a)
    if (!b.count(p) || b.at(p) != bytes) out += (b.count(p) ? "changed " : "gone ") + PathToUtf8(p) + "\n";
  for (const auto& [p, bytes] : b)
    if (!a.count(p)) out += "added " + PathToUtf8(p) + "\n";
  return out;
}

// Runs `prepare` and then `run` once whole, counting the disk steps `counts` accepts (every step
// when it is empty) and keeping the tree below `root` before and after; every file the run adds
// must lie below `home`. Then, for each step k, from a fresh `prepare`, `run` in a child process
// that ends at step k: every file is old, new or a whole version the complete run saved on the
// way; none that the complete run keeps has vanished.
// Returns the number of steps.
inline int KillAtEveryStep(const std::filesystem::path& root, const std::filesystem::path& home,
                           const std::function<void()>& prepare, const std::function<void()>& run,
                           const std::function<bool(const std::filesystem::path&)>& counts = {},
                           const std::string& what = {}) {
  auto counted = [&](const std::filesystem::path& p) { return !counts || counts(p); };
  prepare();
  const TreeBytes old = ReadTree(root);
  int steps = 0;
  // A command that merges record after record saves a file several times: each whole version
  // it had between two steps is a state a kill may leave.
  std::map<std::filesystem::path, std::set<std::string>> versions;
  SetWriteStepHookForTesting([&](std::string_view, const std::filesystem::path& p) {
    steps += counted(p);
    if (FileExists(p)) versions[p].insert(ReadBytes(p));
  });
  run();
  SetWriteStepHookForTesting(nullptr);
  const TreeBytes fresh = ReadTree(root);
  for (const auto& [p, bytes] : fresh)
    if (!old.count(p)) {
      EXPECT_EQ(PathToUtf8(p).rfind(PathToUtf8(home), 0), 0u) << what << ": " << p << " lies outside the folder";
    }
  for (int kill = 1; kill <= steps; ++kill) {
    prepare();
    EXPECT_EXIT(
        {
          int seen = 0;
          SetWriteStepHookForTesting([&](std::string_view, const std::filesystem::path& p) {
            if (counted(p) && ++seen == kill) std::_Exit(137);
          });
          run();
        },
        ::testing::ExitedWithCode(137), "")
        << what << " step " << kill;
    const TreeBytes now = ReadTree(root);
    for (const auto& [p, bytes] : now) {
      const bool isOld = old.count(p) && old.at(p) == bytes;
      const bool isNew = fresh.count(p) && fresh.at(p) == bytes;
      const bool between = versions.count(p) && versions.at(p).count(bytes);
      EXPECT_TRUE(isOld || isNew || between) << what << ": " << p << " torn or stray at step " << kill;
    }
    for (const auto& [p, bytes] : old)
      if (fresh.count(p)) {
        EXPECT_TRUE(now.count(p)) << what << ": " << p << " vanished at step " << kill;
      }
  }
  return steps;
}

}  // namespace zelkova::testing
