// Records what a JV-Link hands out into a feed folder (the layout of feed_layout.md), so that a
// real race day can be carried to another machine and served there by RecordedJvLink.
// Files already in the folder stay: recording again during a race day adds newer real-time
// batches beside the earlier ones, which is how the layout keeps odds snapshots.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "base/platform.h"
#include "base/status.h"

namespace zelkova {

class JvLink;

struct FeedRecordOptions {
  // Stored data newer than this ("yyyymmddhhnnss"), through JVOpen with `option`; empty: none.
  std::string fromdate;
  int option = 2;
  // That day's ("yyyymmdd") real-time data: results, weights and changes, then the odds and
  // the video of each race the recorded records name for that day; empty: none.
  std::string realtimeDate;
  // Called while JV-Link downloads (between JVStatus polls, on JVRead -2/-3): wait a moment.
  std::function<void()> wait;
  // Progress and problems, one line each (CP932).
  std::function<void(const std::string&)> report;
};

struct FeedRecordSummary {
  int storedFiles = 0;
  int realtimeBatches = 0;
  int videos = 0;
  long long records = 0;
  int failures = 0;  // JV-Link calls that failed; what they would have given is missing
};

// Records into `out` (created when missing) from an initialised `jv`. A JV-Link failure is
// reported and the recording goes on with the next stream; a file that cannot be written ends
// it. Returns the first failure, or Ok. A stream cut short by an error is not written at all.
Status RecordFeed(JvLink& jv, const Clock& clock, const std::filesystem::path& out, const FeedRecordOptions& options,
                  FeedRecordSummary* summary);

}  // namespace zelkova
