// zelkova-cli download: the batch download window's work without the window. Information boxes
// become lines on stderr, confirmations are answered Yes, the progress bars go to a terminal;
// stdout gets the last state of the window and what was saved.
#include <cstdio>
#include <optional>
#include <ostream>

#include "settings/error_log.h"
#include "settings/ini_gt.h"
#include "base/console.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "jvlink/batch_download.h"
#include "jvlink/software_id.h"

namespace zelkova::cli {

namespace {

// Progress bars on stderr, only when it is a terminal, redrawn when the shown figure changes.
class ConsoleView : public BatchView {
 public:
  ConsoleView() : tty_(StderrIsTerminal()) {}
  ~ConsoleView() override { finish(); }
  void progress1(int pos, int max) override { draw("取得", pos, max); }
  void progress2(int pos, int max) override { draw("読込", pos, max); }
  void finish() {
    if (drawn_) std::fputs("\n", stderr);
    drawn_ = false;
  }

 private:
  void draw(const char* what, int pos, int max) {
    if (!tty_ || max <= 0 || pos <= 0) return;
    int width = 40, filled = static_cast<int>(static_cast<long long>(width) * pos / max);
    if (filled == last_ && what == lastWhat_) return;
    last_ = filled;
    lastWhat_ = what;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(static_cast<size_t>(width), '.');
    std::fprintf(stderr, "\r%-8s [%s] %d/%d", what, bar.c_str(), pos, max);
    std::fflush(stderr);
    drawn_ = true;
  }
  bool tty_;
  bool drawn_ = false;
  int last_ = -1;
  const char* lastWhat_ = nullptr;
};

}  // namespace

int CmdDownload(CliContext& ctx, const std::vector<std::string>& args) {
  std::string from;
  bool writeThrough = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--from") {
      if (i + 1 >= args.size() || args[i + 1].empty())
        return BadArgument(ctx, "--from に日時がありません（\"yyyy/mm/dd hh:nn:ss\"）");
      from = args[++i];
    } else if (args[i] == "--write-through") {
      writeThrough = true;
    } else {
      return BadArgument(ctx, "download には「" + args[i] + "」という引数はありません");
    }
  }
  std::optional<LocalTime> fromTime;
  if (!from.empty()) {
    fromTime = ParseDateTime(from);
    if (!fromTime) {
      return BadArgument(ctx, "--from の「" + from + "」は日時ではありません（\"yyyy/mm/dd hh:nn:ss\"）");
    }
  }
  TIniGT ini(ctx.programFolder, "zelkova");
  SystemClock clock;
  std::unique_ptr<JvLink> jv = CommandJvLink(ctx, &ini, clock, ctx.programFolder / "jvcache");
  if (!jv) return 1;
  int r = jv->JVInit(SoftwareId());
  if (r != 0) {
    *ctx.err << Cp932ToUtf8Lossy(Sj("JVInitエラーが発生しました。：")) << r << "\n";
    return 1;
  }
  ConsolePrompts prompts(*ctx.err);
  ConsoleView view;
  BatchDownload::Options options;
  options.mode = writeThrough ? StoreCache::Mode::kWriteThrough : StoreCache::Mode::kWriteBack;
  std::ostream& err = *ctx.err;
  options.onError = [&err](const std::string& text) { err << Cp932ToUtf8Lossy(text) << "\n"; };
  options.startNotice = false;  // it asks a window's user to wait
  if (auto ms = EnvNumber("ZELKOVA_FLUSH_MS")) options.flushInterval = std::chrono::milliseconds(*ms);
  AbortingJvLink aborting(*jv, EnvNumber("ZELKOVA_ABORT_AFTER").value_or(-1), EnvNumber("ZELKOVA_HOLD_AFTER").value_or(-1));
  BatchDownload batch(ctx.programFolder, aborting, prompts, clock, ini, &view, options);
  batch.FormCreate();
  if (fromTime) batch.setFromTime(*fromTime);
  const std::string startedFrom = FormatDateTime(batch.fromTime());
  batch.ButtonStartClick();
  while (batch.timerOn()) batch.TimerJVStatusTimer();
  view.finish();
  const Status& outcome = batch.outcome();
  if (outcome.isNotFound() && !fromTime) {
    // A new program folder starts 8 days back, which an older feed does not reach.
    *ctx.err << "zelkova-cli: " << startedFrom
             << " より新しいデータを探しました（前回の取得で覚えた日時、初めては8日前）。別の日時からは --from "
                "\"yyyy/mm/dd hh:nn:ss\" で取り込みます\n";
  }
  if (!batch.label().empty()) *ctx.out << Cp932ToUtf8Lossy(batch.label()) << "\n";
  // What is on disk, also after a failure: the lines filed are counted only once written.
  *ctx.out << "保存：" << batch.filesSaved() << "個のファイルに" << batch.linesSaved() << "行";
  if (batch.recordsSkipped() > 0) *ctx.out << "、読み飛ばしたレコード" << batch.recordsSkipped() << "件";
  *ctx.out << "\n";
  return outcome.ok() || outcome.isNotFound() ? 0 : 1;
}

int CmdJvLinkSetup(CliContext& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) return BadArgument(ctx, "jvlink-setup に引数はいりません（「" + args[0] + "」）");
  TIniGT ini(ctx.programFolder, "zelkova");
  SystemClock clock;
  std::unique_ptr<JvLink> jv = CommandJvLink(ctx, &ini, clock, ctx.programFolder / "jvcache");
  if (!jv) return 1;
  // JVLink設定 is the batch window's button: JV-Link's own dialog, its failure told as there.
  ConsolePrompts prompts(*ctx.err);
  BatchDownload batch(ctx.programFolder, *jv, prompts, clock, ini);
  const int code = batch.SpeedButton1Click();
  *ctx.out << "JVSetUIProperties: " << code << "\n";
  return code == 0 ? 0 : 1;
}

}  // namespace zelkova::cli
