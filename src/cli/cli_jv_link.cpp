// The JV-Link behind the commands that download: a recorded feed or the system's control.
#include <ostream>

#include "base/cp932.h"
#include "base/file_io.h"
#include "cli/commands.h"
#include "jvlink/recorded_jv_link.h"
#include "jvlink/system_jv_link.h"
#include "settings/ini_gt.h"

namespace zelkova::cli {

std::unique_ptr<JvLink> CommandJvLink(CliContext& ctx, const TIniGT* ini, const Clock& clock,
                                      const std::filesystem::path& cacheDir) {
  std::string feed = ctx.feedFolder;
  std::string why;
  if (feed.empty()) {
    if (std::unique_ptr<JvLink> system = SystemJvLink(why)) return system;
    if (ini) feed = Cp932ToUtf8Lossy(ini->ReadString("JVLink", "FeedFolder", ""));
  }
  if (feed.empty()) {
    // One line: the message, then what the system said.
    std::string line;
    for (char c : Cp932ToUtf8Lossy(why))
      if (c == '\n') line += ' ';
      else if (c != '\r') line += c;
    *ctx.err << "zelkova-cli: " << line << "\n";
    return nullptr;
  }
  // A remembered folder may have gone since; one given now was checked at start.
  if (Status s = CheckFeedFolder(PathFromUtf8(feed)); !s.ok()) {
    *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(s.message()) << "\n";
    return nullptr;
  }
  return std::make_unique<RecordedJvLink>(PathFromUtf8(feed), cacheDir, clock);
}

}  // namespace zelkova::cli
