// zelkova-cli: headless commands over the same core as the program.
#include <iostream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "settings/ini_gt.h"
#include "settings/program_folder.h"
#include "base/console.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "cli/commands.h"

using zelkova::cli::CliContext;

namespace zelkova::cli {

namespace {

// --feed DIR is remembered as the program remembers it ([JVLink] FeedFolder), so later runs of
// either executable need not repeat it. Only an existing folder of an existing program folder
// is stored; false (with a message) when the settings cannot take it.
bool RememberFeed(const CliContext& ctx) {
  if (ctx.feedFolder.empty() || !DirExists(ctx.programFolder)) return true;
  if (!ProgramFolderWritable(ctx.programFolder).ok()) return true;  // nothing is kept there
  if (!DirExists(PathFromUtf8(ctx.feedFolder))) return true;  // the command itself says so
  TIniGT ini(ctx.programFolder, "zelkova");
  auto sj = Utf8ToCp932(ctx.feedFolder);
  if (!sj.ok()) {
    *ctx.err << "zelkova-cli: フィードフォルダの名前「" << ctx.feedFolder << "」はShift-JISで書けないので設定に保存できません\n";
    return false;
  }
  if (ini.ReadString("JVLink", "FeedFolder", "") == *sj) return true;
  if (Status s = ini.WriteString("JVLink", "FeedFolder", *sj); !s.ok()) {
    *ctx.err << "zelkova-cli: フィードフォルダを設定に保存できません：" << Cp932ToUtf8Lossy(s.message()) << "\n";
    return false;
  }
  return true;
}

}  // namespace

}  // namespace zelkova::cli

int main(int argc, char** argv) {
  CliContext ctx;
  ctx.out = &std::cout;
  ctx.err = &std::cerr;
  ctx.programFolder = zelkova::ExecutableFolder(argv[0]);
  zelkova::SetUpConsoleOutput();
  const std::vector<std::string> args = zelkova::Utf8Arguments(argc, argv);
  size_t i = 0;
  while (i < args.size()) {
    if (args[i] == "--home" || args[i] == "--feed") {
      if (i + 1 >= args.size()) {
        std::cerr << "zelkova-cli: " << args[i] << " にフォルダがありません\n";
        return 2;
      }
      const std::filesystem::path folder = std::filesystem::absolute(zelkova::PathFromUtf8(args[i + 1]));
      if (args[i] == "--home")
        ctx.programFolder = folder;
      else
        ctx.feedFolder = zelkova::PathToUtf8(folder);
      i += 2;
    } else if (args[i] == "--help" || args[i] == "-h") {
      std::cout << zelkova::cli::UsageText();
      return 0;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      std::cerr << "zelkova-cli: 「" << args[i] << "」というオプションはありません（zelkova-cli --help で使い方を表示します）\n";
      return 2;
    } else {
      break;
    }
  }
  if (i >= args.size()) {
    std::cerr << zelkova::cli::UsageText();
    return 2;
  }
  const std::string cmd = args[i];
  if (cmd != "dates" && cmd != "download" && cmd != "figures" && cmd != "csv" && cmd != "export" && cmd != "hit-report" &&
      cmd != "record-feed" && cmd != "view" && cmd != "history" && cmd != "frequency" && cmd != "follow" &&
      cmd != "races" && cmd != "jvlink-setup") {
    std::cerr << "zelkova-cli: 「" << cmd << "」というコマンドはありません（zelkova-cli --help で使い方を表示します）\n";
    return 2;
  }
  // A download may start a new program folder, once its feed folder is known to be one.
  if (cmd == "download") {
    if (int status = zelkova::cli::CheckStart(ctx, false); status != 0) return status;
    if (int status = zelkova::cli::StartNewProgramFolder(ctx); status != 0) return status;
  }
  // record-feed writes a feed folder and reads no program folder.
  if (int status = zelkova::cli::CheckStart(ctx, cmd != "record-feed"); status != 0) return status;
  // Not remembering the folder is told but does not stop the command.
  if (cmd != "record-feed") zelkova::cli::RememberFeed(ctx);  // there --feed is only the source
  std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
  if (cmd == "dates") return zelkova::cli::CmdDates(ctx, rest);
  if (cmd == "download") return zelkova::cli::CmdDownload(ctx, rest);
  if (cmd == "figures") return zelkova::cli::CmdFigures(ctx, rest);
  if (cmd == "csv") return zelkova::cli::CmdCsv(ctx, rest);
  if (cmd == "export") return zelkova::cli::CmdExport(ctx, rest);
  if (cmd == "hit-report") return zelkova::cli::CmdHitReport(ctx, rest);
  if (cmd == "record-feed") return zelkova::cli::CmdRecordFeed(ctx, rest);
  if (cmd == "view") return zelkova::cli::CmdView(ctx, rest);
  if (cmd == "history") return zelkova::cli::CmdHistory(ctx, rest);
  if (cmd == "frequency") return zelkova::cli::CmdFrequency(ctx, rest);
  if (cmd == "follow") return zelkova::cli::CmdFollow(ctx, rest);
  if (cmd == "races") return zelkova::cli::CmdRaces(ctx, rest);
  if (cmd == "jvlink-setup") return zelkova::cli::CmdJvLinkSetup(ctx, rest);
  std::cerr << "zelkova-cli: 「" << cmd << "」というコマンドはありません\n";
  return 2;
}
