// Writes a generated world as a recorded JV-Link feed folder (layout: src/jvlink/feed_layout.md).
// Every file is written whole (temporary file renamed over it), the feed is flushed to disk before
// README.txt, its completion marker, is written; the first failure stops the run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "base/status.h"
#include "world.h"

namespace zelkova::feedgen {

struct FeedSummary {
  int raceDays = 0;      // racecourse-days of the season
  int races = 0;
  int starters = 0;
  int files = 0;
  uint64_t bytes = 0;
};

// Marker line that README.txt starts with; a folder holding it may be overwritten.
inline constexpr const char* kFeedMarker = "zelkova-feedgen feed";

Status WriteFeed(const World& w, const std::filesystem::path& out, const std::string& scaleName, FeedSummary* summary);

}  // namespace zelkova::feedgen
