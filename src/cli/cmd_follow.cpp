// zelkova-cli follow: the race-day timers without a window. Odds are fetched before each post
// time, results and weights at the interval of the settings, and the stored files and the loaded
// day follow, as they would in the program. One line per fetch and per error-log line; the run
// ends at --until (default 18:00 of the day), or on SIGINT once the open stream is closed.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <ostream>
#include <thread>

#include "app/headless_day.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "base/replay_clock.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "day/race_day_live.h"
#include "day/replay_timers.h"
#include "jvlink/jv_message.h"
#include "jvlink/software_id.h"
#include "racedata/race_day_loader.h"
#include "settings/error_log.h"
#include "settings/ini_gt.h"

namespace zelkova::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
extern "C" void OnInterrupt(int) { g_interrupted = 1; }

const char* KindName(RealtimeKind k) {
  switch (k) {
    case RealtimeKind::kOdds: return "オッズ";
    case RealtimeKind::kResults: return "成績";
    case RealtimeKind::kWeights: return "馬体重";
    case RealtimeKind::kChanges: return "変更";
  }
  return "";
}

std::string TimeText(const LocalTime& t) { return Cp932ToUtf8Lossy(FormatTime(t)); }

// JVRTOpen's result when nothing newer than what was read is there yet.
constexpr int kNothingNewer = -1;

class FollowHost : public LiveHost {
 public:
  FollowHost(std::ostream& out, const Clock& clock, RaceDay& day, std::string date)
      : out_(out), clock_(clock), day_(day), date_(std::move(date)) {}

  std::string DateComboText() const override { return date_; }
  // The load selects the first race, as the program's does.
  int SelectedRaceItem() const override { return RaceListSlot(day_, 0) >= 0 ? 0 : -1; }
  int RaceItemCount() const override {
    int n = 0;
    while (RaceListSlot(day_, n) >= 0) ++n;
    return n;
  }
  void ShowChanges(const ChangeLists& c) override {
    out_ << TimeText(clock_.now()) << " 変更情報：天候馬場" << c.lines[0].size() << "件、取消除外" << c.lines[1].size()
         << "件、騎手変更" << c.lines[2].size() << "件、発走時刻変更" << c.lines[3].size() << "件、コース変更"
         << c.lines[4].size() << "件\n"
         << std::flush;
  }
  void SetTimer1(bool running) override { timer1 = running; }
  void Fetched(const FetchReport& r) override {
    const FetchOutcome& o = r.outcome;
    out_ << TimeText(r.time) << " " << KindName(r.kind) << " " << Cp932ToUtf8Lossy(r.race) << " 読込" << o.records
         << "件 保存" << o.merged << "件";
    if (o.skipped) out_ << " 読み飛ばし" << o.skipped << "件";
    const std::string said = o.openCode == kNothingNewer   ? Cp932ToUtf8Lossy(Sj("新しいデータはまだありません"))
                             : o.error.empty()             ? std::string("正常")
                                                           : Cp932ToUtf8Lossy(o.error);
    out_ << " " << said << "\n" << std::flush;
  }
  void ErrorLogged(const std::string& text) override {
    // JV-Link's "nothing newer yet" is no error: the fetch's own line says it, once.
    const std::string nothingNewer = JvMessage("JVRTOpen", kNothingNewer);
    if (text.size() >= nothingNewer.size() && text.compare(text.size() - nothingNewer.size(), nothingNewer.size(), nothingNewer) == 0)
      return;
    out_ << TimeText(clock_.now()) << " " << Cp932ToUtf8Lossy(Sj("【エラー】")) << Cp932ToUtf8Lossy(text) << "\n"
         << std::flush;
  }

  bool timer1 = false;

 private:
  std::ostream& out_;
  const Clock& clock_;
  RaceDay& day_;
  std::string date_;
};

bool ParseSpeed(const std::string& s, double& v) {
  char* end = nullptr;
  v = std::strtod(s.c_str(), &end);
  return !s.empty() && *end == '\0' && v > 0 && v <= 100000;
}

bool ParseHourMinute(const std::string& s, int& minutes) {
  if (s.size() != 5 || s[2] != ':' || !IsAllDigits(s.substr(0, 2)) || !IsAllDigits(s.substr(3, 2))) return false;
  int h = std::stoi(s.substr(0, 2)), m = std::stoi(s.substr(3, 2));
  if (h > 23 || m > 59) return false;
  minutes = h * 60 + m;
  return true;
}

}  // namespace

int CmdFollow(CliContext& ctx, const std::vector<std::string>& args) {
  std::string dateArg, clockText;
  double speed = 1;
  int untilMinutes = 18 * 60;
  auto bad = [&](const std::string& why) { return BadArgument(ctx, why); };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--clock" || a == "--clock-speed" || a == "--until") {
      if (i + 1 >= args.size()) return bad(a + " に値がありません");
      const std::string& v = args[++i];
      if (a == "--clock") clockText = v;
      else if (a == "--clock-speed" && !ParseSpeed(v, speed)) return bad("--clock-speed は0より大きい数です（「" + v + "」）");
      else if (a == "--until" && !ParseHourMinute(v, untilMinutes)) return bad("--until は hh:mm です（「" + v + "」）");
    } else if (dateArg.empty() && a.rfind("--", 0) != 0) {
      dateArg = a;
    } else {
      return bad("follow には「" + a + "」という引数はありません");
    }
  }
  if (dateArg.empty()) return bad("日付がありません（yyyymmdd、yyyy-mm-dd、yyyy年mm月dd日）");
  std::string date;
  if (!DateOperand(ctx, dateArg, date)) return 2;
  LocalTime start = SystemClock().now();
  if (!clockText.empty()) {
    auto t = ParseClockText(clockText);
    if (!t) return bad("--clock の「" + clockText + "」は日時ではありません（\"yyyy-mm-dd hh:mm\"）");
    start = *t;
  }
  if (!ProgramFolderReady(ctx)) return 1;
  TIniGT ini(ctx.programFolder, "zelkova");
  if (TodayText(start) != date) {
    *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(date) << "は時計の日（" << Cp932ToUtf8Lossy(TodayText(start))
             << "）ではありません。その日の時刻を --clock で指定してください\n";
    return 2;
  }

  ReplayClock clock(start, speed);
  std::unique_ptr<JvLink> link = CommandJvLink(ctx, &ini, clock, ctx.programFolder / "jvcache");
  if (!link) return 1;
  AbortingJvLink jv(*link, EnvNumber("ZELKOVA_ABORT_AFTER").value_or(-1));
  if (int r = jv.JVInit(SoftwareId()); r != 0) {
    *ctx.out << Cp932ToUtf8Lossy(Sj("JVInitエラーが発生しました。：")) << r << "\n";
    return 1;
  }
  std::unique_ptr<RaceDay> day = MakeRaceDay();
  std::ostream& err = *ctx.err;
  auto warn = [&err](const std::string& text) { err << "zelkova-cli: " << Said(text) << "\n"; };
  auto loaded = LoadDayHeadless(ctx.programFolder, date, *day, warn);
  if (!loaded.ok()) {
    *ctx.err << "zelkova-cli: " << Said(loaded.status().message()) << "\n";
    return loaded.status().isNotFound() ? 2 : 1;
  }
  ConsolePrompts prompts(*ctx.out);
  FollowHost host(*ctx.out, clock, *day, date);
  RaceDayLive live(ctx.programFolder, jv, prompts, clock, ini, host);
  live.setDay(day.get());
  day->CurrentRace = std::max(RaceListSlot(*day, 0), 0);
  live.download().setStopCheck([] { return g_interrupted != 0; });

  *ctx.out << Cp932ToUtf8Lossy(date) << "（" << host.RaceItemCount() << "レース）を" << TimeText(start) << "から"
           << (untilMinutes / 60 < 10 ? "0" : "") << untilMinutes / 60 << ":" << (untilMinutes % 60 < 10 ? "0" : "")
           << untilMinutes % 60 << "まで" << speed << "倍速で追います\n"
           << std::flush;
  live.AutoOzCheckClick(true);
  if (host.timer1) *ctx.out << "オッズ自動取得を始めます\n" << std::flush;

  void (*previous)(int) = std::signal(SIGINT, OnInterrupt);
  LocalTime until = start;
  until.hour = untilMinutes / 60;
  until.minute = untilMinutes % 60;
  until.second = 0;
  ReplayTimers timers;
  auto sync = [&] {
    timers.Set(1, host.timer1, 40, clock);
    timers.Set(4, true, static_cast<long long>(std::max(day->AutoResultMinutes, 1)) * 60, clock);
  };
  while (!g_interrupted && SerialSeconds(clock.now()) < SerialSeconds(until)) {
    LocalTime target = clock.target();
    if (SerialSeconds(target) > SerialSeconds(until)) target = until;
    timers.RunUntil(clock, target, sync, [&](int id) {
      if (g_interrupted) return;
      if (id == 1) live.Timer1Timer();
      else live.Timer4Timer();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::signal(SIGINT, previous);
  if (g_interrupted) {
    *ctx.out << TimeText(clock.now()) << " 中断しました\n";
    return 130;
  }
  *ctx.out << TimeText(clock.now()) << " 終わりました\n";
  return 0;
}

}  // namespace zelkova::cli
