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
    case RealtimeKind::kOdds: return "odds";
    case RealtimeKind::kResults: return "results";
    case RealtimeKind::kWeights: return "weights";
    case RealtimeKind::kChanges: return "changes";
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
    out_ << TimeText(clock_.now()) << " change notices: " << c.lines[0].size() << " weather and going, "
         << c.lines[1].size() << " scratches, " << c.lines[2].size() << " jockey changes, " << c.lines[3].size()
         << " post-time changes, " << c.lines[4].size() << " course changes\n"
         << std::flush;
  }
  void SetTimer1(bool running) override { timer1 = running; }
  void Fetched(const FetchReport& r) override {
    const FetchOutcome& o = r.outcome;
    out_ << TimeText(r.time) << " " << KindName(r.kind) << " " << Cp932ToUtf8Lossy(r.race) << " read " << o.records
         << " merged " << o.merged;
    if (o.skipped) out_ << " skipped " << o.skipped;
    const std::string said = o.openCode == kNothingNewer   ? Cp932ToUtf8Lossy(Sj("新しいデータはまだありません"))
                             : o.error.empty()             ? std::string("ok")
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
  auto bad = [&](const std::string& why) {
    *ctx.err << "zelkova-cli: follow: " << why << "\n" << UsageText();
    return 2;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--clock" || a == "--clock-speed" || a == "--until") {
      if (i + 1 >= args.size()) return bad(a + " needs a value");
      const std::string& v = args[++i];
      if (a == "--clock") clockText = v;
      else if (a == "--clock-speed" && !ParseSpeed(v, speed)) return bad("--clock-speed takes a number above 0, not '" + v + "'");
      else if (a == "--until" && !ParseHourMinute(v, untilMinutes)) return bad("--until takes hh:mm, not '" + v + "'");
    } else if (dateArg.empty() && a.rfind("--", 0) != 0) {
      dateArg = a;
    } else {
      return bad("unexpected argument '" + a + "'");
    }
  }
  if (dateArg.empty()) return bad("a DATE is required");
  std::string date;
  if (!DateOperand(ctx, "follow", dateArg, date)) return 2;
  LocalTime start = SystemClock().now();
  if (!clockText.empty()) {
    auto t = ParseClockText(clockText);
    if (!t) return bad("--clock takes \"yyyy-mm-dd hh:mm\", not '" + clockText + "'");
    start = *t;
  }
  if (!ProgramFolderReady(ctx, "follow")) return 1;
  TIniGT ini(ctx.programFolder, "zelkova");
  if (TodayText(start) != date) {
    *ctx.err << "zelkova-cli: follow: " << Cp932ToUtf8Lossy(date) << " is not the day of the clock ("
             << Cp932ToUtf8Lossy(TodayText(start)) << "); give --clock with a time on that day\n";
    return 2;
  }

  ReplayClock clock(start, speed);
  std::unique_ptr<JvLink> link = CommandJvLink(ctx, "follow", &ini, clock, ctx.programFolder / "jvcache");
  if (!link) return 1;
  AbortingJvLink jv(*link, EnvNumber("ZELKOVA_ABORT_AFTER").value_or(-1));
  if (int r = jv.JVInit(SoftwareId()); r != 0) {
    *ctx.out << Cp932ToUtf8Lossy(Sj("JVInitエラーが発生しました。：")) << r << "\n";
    return 1;
  }
  std::unique_ptr<RaceDay> day = MakeRaceDay();
  std::ostream& err = *ctx.err;
  auto warn = [&err](const std::string& text) { err << "zelkova-cli: follow: " << Cp932ToUtf8Lossy(text) << "\n"; };
  auto loaded = LoadDayHeadless(ctx.programFolder, date, *day, warn);
  if (!loaded.ok()) {
    *ctx.err << "zelkova-cli: follow: " << Cp932ToUtf8Lossy(loaded.status().message()) << "\n";
    return loaded.status().isNotFound() ? 2 : 1;
  }
  ConsolePrompts prompts(*ctx.out);
  FollowHost host(*ctx.out, clock, *day, date);
  RaceDayLive live(ctx.programFolder, jv, prompts, clock, ini, host);
  live.setDay(day.get());
  day->CurrentRace = std::max(RaceListSlot(*day, 0), 0);
  live.download().setStopCheck([] { return g_interrupted != 0; });

  *ctx.out << "following " << Cp932ToUtf8Lossy(date) << " from " << TimeText(start) << " at " << speed
           << "x until " << (untilMinutes / 60 < 10 ? "0" : "") << untilMinutes / 60 << ":" << (untilMinutes % 60 < 10 ? "0" : "")
           << untilMinutes % 60 << ", " << host.RaceItemCount() << " races\n"
           << std::flush;
  live.AutoOzCheckClick(true);
  if (host.timer1) *ctx.out << "automatic odds armed\n" << std::flush;

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
    *ctx.out << TimeText(clock.now()) << " interrupted\n";
    return 130;
  }
  *ctx.out << TimeText(clock.now()) << " done\n";
  return 0;
}

}  // namespace zelkova::cli
