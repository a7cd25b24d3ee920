// zelkova: the program. Options: --home DIR (program folder), --feed DIR (recorded JV-Link
// feed, remembered in the settings), --date/--course/--race/--page (show a race at start), --screenshot
// FILE (show the window, save it as PNG, exit), --clock "yyyy-mm-dd hh:mm" [--clock-speed N]
// (run as if it were then, N times as fast; --screenshot-at hh:mm takes the picture then),
// --click NAME (perform a button), --auto-odds (tick the automatic odds retrieval).
// On Windows JV-Link's COM control is used when it is registered, the recorded feed otherwise.

#include <QApplication>
#include <algorithm>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "app/app_context.h"
#include "app/headless_day.h"
#include "app/race_choice.h"
#include "output/race_list.h"
#include "base/replay_clock.h"
#include "settings/ini_gt.h"
#include "settings/program_folder.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "base/system_registry.h"
#include "gui/henko_form.h"
#include "gui/japanese_ui.h"
#include "gui/kakoso_form.h"
#include "gui/main_form.h"
#include "gui/print_pdf.h"
#include "gui/qt_platform.h"
#include "gui/splash.h"
#include "gui/wait_form.h"
#include "jvlink/recorded_jv_link.h"
#include "jvlink/system_jv_link.h"

namespace {

const char kUsage[] =
    "使い方: zelkova [--home DIR] [--feed DIR] [--date DATE [--course 競馬場] [--race N] [--page 名前] [--horse H]]\n"
    "               [--screenshot FILE.png]\n"
    "        zelkova [--home DIR] [--feed DIR] --clock \"yyyy-mm-dd hh:mm\" [--clock-speed N]\n"
    "               [--date DATE [--course 競馬場] [--race N] [--page 名前] [--horse H]] [--click 名前]... [--auto-odds]\n"
    "               [--screenshot FILE.png [--screenshot-at hh:mm]]\n"
    "        zelkova [--home DIR] --date DATE --print-pdf FILE.pdf\n"
    "  --home DIR             プログラムフォルダ（省略時は zelkova のフォルダ）。RTJ.dat、RTN.dat、\n"
    "                         RTC.dat、SetGate.tbl が要ります\n"
    "  --feed DIR             JV-Dataを読むフィードフォルダ（stored/ か realtime/ があるもの）。\n"
    "                         JVLink設定で選んだフォルダと同じく設定に覚えます\n"
    "  --date DATE            起動時にその日を読み込みます（yyyymmdd、yyyy-mm-dd、yyyy年mm月dd日）\n"
    "  --course 競馬場        --race のレースの競馬場: 名前（東京）かコード（05）。その日に一つの\n"
    "                         競馬場しかなければ省けます\n"
    "  --race N               レース番号 N のレースを選びます（省略時はレース一覧の最初）。\n"
    "                         --race main はその日のメインレース: 評価値のあるレース（障害・新馬などを\n"
    "                         除く）で過去走のある馬が半数以上のうち、1着賞金がいちばん高いもの\n"
    "  --page 名前            レース画面のそのページを出します: タブの見出しかグリッドの名前（StringGrid4 …）\n"
    "  --horse H              そのレースの馬番 H の過去走（馬成績）を開きます。--screenshot ではその\n"
    "                         ウィンドウを保存します\n"
    "  --screenshot FILE.png  メインウィンドウを出し、PNGに保存して終わります\n"
    "  --print-pdf FILE.pdf   --date の日の分析結果印刷をPDFに書いて終わります\n"
    "  --clock TIME           TIME（\"yyyy-mm-dd hh:mm\"）であるかのように動きます: 過去の開催日を再生し、\n"
    "                         記録されたフィードは時刻が来たものから渡します\n"
    "  --clock-speed N        時計をN倍速で進めます（省略時 1）\n"
    "  --auto-odds            ｵｯｽﾞ自動取得にチェックを入れます（その日が今日かを確かめます）\n"
    "  --click 名前           日付を出したあとでそのボタンかメニューを押します\n"
    "                         （GetKaisaiBtn、KekkaGetBtn、SokuhoOddsBtn、O1 …）。何度でも書けます\n"
    "  --screenshot-at hh:mm  --clock と共に: 時計が hh:mm になったときに保存します\n"
    "終了コード: 0 正常に閉じた。1 起動の失敗（メッセージで理由）。2 引数の誤り（一行で理由）\n";

// A bad argument: one line saying what is wrong with it.
int Usage(const std::string& why) {
  std::fprintf(stderr, "zelkova: %s\n", why.c_str());
  return 2;
}

void UseJapaneseFont(QApplication& app) {
  for (const QString& family : QFontDatabase::families()) {
    if (family == "IPAGothic" || family == "IPAPGothic" || family == QString::fromUtf8("IPAゴシック")) {
      QFont f(family);
      f.setPointSize(9);
      app.setFont(f);
      return;
    }
  }
}

bool HasOption(int argc, char** argv, const char* name) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return true;
  return false;
}

bool HasDisplay() {
#ifdef _WIN32
  return true;  // a Windows session always has its desktop
#endif
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    if (const char* e = std::getenv(v); e && *e) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Help needs no display and no folder.
  if (HasOption(argc, argv, "--help") || HasOption(argc, argv, "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  // The analysis print as a PDF needs no window, JV-Link or display.
  if (zelkova::gui::WantsPrintPdf(argc, argv)) return zelkova::gui::PrintPdfMain(argc, argv);
  // Without a display Qt would abort; a screenshot needs none, anything else gets told how.
  if (!HasDisplay()) {
    if (HasOption(argc, argv, "--screenshot")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
      std::fprintf(stderr,
                   "zelkova: no display. Run it under a virtual X server:\n"
                   "  xvfb-run -a -s '-screen 0 1280x1024x24' %s [--home DIR] [--feed DIR]\n"
                   "or render the main window to a PNG: %s --screenshot FILE.png [--home DIR]\n",
                   argv[0], argv[0]);
      return 1;
    }
  }

  QApplication app(argc, argv);
  UseJapaneseFont(app);
  zelkova::gui::UseJapaneseTranslations(app);

  std::filesystem::path home = zelkova::ExecutableFolder(argv[0]);
  // Every path of the command line is taken from the folder it was typed in, before the
  // program moves into its program folder.
  std::filesystem::path screenshotFile;
  std::string feed, screenshot, clockText, speedText, shotAtText;
  QString date, page;
  QStringList clicks;
  int horse = 0;
  zelkova::RaceName raceName;
  bool autoOdds = false;
  QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == "--auto-odds") {
      autoOdds = true;
      continue;
    }
    const bool known = a == "--home" || a == "--feed" || a == "--screenshot" || a == "--date" ||
                       a == "--race" || a == "--course" || a == "--page" || a == "--horse" || a == "--clock" || a == "--clock-speed" ||
                       a == "--click" || a == "--screenshot-at";
    if (!known) return Usage("「" + a.toStdString() + "」というオプションはありません（zelkova --help で使い方を表示します）");
    if (i + 1 >= args.size()) return Usage(a.toStdString() + " に値がありません");
    const QString value = args[++i];
    if (a == "--click") {
      clicks << value;
    } else if (a == "--date" || a == "--page") {
      (a == "--date" ? date : page) = value;
    } else if (a == "--race") {
      if (std::string why = zelkova::ParseRaceOption(value.toStdString(), raceName); !why.empty())
        return Usage(zelkova::Cp932ToUtf8Lossy(why));
    } else if (a == "--course") {
      raceName.course = value.toStdString();
    } else if (a == "--horse") {
      bool ok = false;
      horse = value.toInt(&ok);
      if (!ok || horse < 1 || horse > zelkova::MaxRunners)
        return Usage("--horse は馬番（1～18）です（「" + value.toStdString() + "」）");
    } else {
      std::string v = value.toStdString();  // UTF-8
      if (a == "--home") home = std::filesystem::absolute(zelkova::PathFromUtf8(v));
      else if (a == "--feed") feed = v;
      else if (a == "--clock") clockText = v;
      else if (a == "--clock-speed") speedText = v;
      else if (a == "--screenshot-at") shotAtText = v;
      else screenshotFile = std::filesystem::absolute(zelkova::PathFromUtf8(screenshot = v));
    }
  }
  // A replayed day runs on its own clock.
  std::unique_ptr<zelkova::ReplayClock> replay;
  if (!clockText.empty() || !speedText.empty()) {
    auto start = zelkova::ParseClockText(clockText);
    char* end = nullptr;
    const double speed = speedText.empty() ? 1.0 : std::strtod(speedText.c_str(), &end);
    if (!start) return Usage("--clock の「" + clockText + "」は日時ではありません（\"yyyy-mm-dd hh:mm\"）");
    if (!speedText.empty() && (*end != '\0' || !(speed > 0) || speed > 100000))
      return Usage("--clock-speed は0より大きい数です（「" + speedText + "」）");
    replay = std::make_unique<zelkova::ReplayClock>(*start, speed);
  }
  // The moment of a replayed day at which the screenshot is taken.
  std::optional<zelkova::LocalTime> shotAt;
  if (!shotAtText.empty()) {
    if (!replay || screenshot.empty()) return Usage("--screenshot-at には --clock と --screenshot が要ります");
    const zelkova::LocalTime start = replay->now();
    char day[16];
    std::snprintf(day, sizeof day, "%04d-%02d-%02d ", start.year, start.month, start.day);
    shotAt = zelkova::ParseClockText(day + shotAtText);
    if (!shotAt || shotAtText.size() != 5) return Usage("--screenshot-at は hh:mm です（「" + shotAtText + "」）");
  }
  if (!date.isEmpty()) {
    std::string text;
    if (std::string why = zelkova::CheckDateArgument(date.toStdString(), &text); !why.empty())
      return Usage(zelkova::Cp932ToUtf8Lossy(why));
    date = QString::fromStdString(text.substr(0, 4) + text.substr(6, 2) + text.substr(10, 2));  // yyyymmdd
  }
  const bool raceNamed = raceName.main || raceName.number > 0 || !raceName.course.empty();
  zelkova::gui::QtPrompts startPrompts;
  startPrompts.setQuiet(!screenshot.empty());
  if (std::string why = zelkova::ProgramFolderProblem(home); !why.empty()) {
    startPrompts.information(why);
    return 1;
  }
  // A feed folder given now must be one; it is refused before it is remembered, as the
  // command-line program refuses it.
  if (!feed.empty()) {
    const std::filesystem::path f = std::filesystem::absolute(zelkova::PathFromUtf8(feed));
    if (zelkova::Status s = zelkova::CheckFeedFolder(f); !s.ok()) {
      startPrompts.information(s.message());
      return 1;
    }
    feed = zelkova::PathToUtf8(f);
  }
  // Every relative path of the program is taken from here.
  std::error_code ec;
  std::filesystem::current_path(home, ec);
  if (ec) {
    startPrompts.information(zelkova::Sj("プログラムフォルダ「") + zelkova::PathText(home) +
                             zelkova::Sj("」に移れません：") + zelkova::ErrnoText(ec.value()));
    return 1;
  }

  // 1. The splash comes first and goes when the main window becomes active.
  // It deletes itself when closed, which may happen at any activation change.
  QPointer<zelkova::gui::TSplash> splash = new zelkova::gui::TSplash;
  splash->show();
  QApplication::processEvents();

  zelkova::SystemClock systemClock;
  zelkova::Clock& clock = replay ? static_cast<zelkova::Clock&>(*replay) : systemClock;
  const std::unique_ptr<zelkova::Registry> registry = zelkova::SystemRegistry();
  zelkova::gui::QtPrompts prompts;
  prompts.setQuiet(!screenshot.empty());

  // The feed folder given now or remembered from an earlier run (reading writes nothing).
  zelkova::TIniGT ini(home / "zelkova.ini");
  std::string remembered = zelkova::Cp932ToUtf8Lossy(ini.ReadString("JVLink", "FeedFolder", ""));
  const bool feedGiven = !feed.empty();
  if (feed.empty()) feed = remembered;

  // 2. JV-Link must be there. On Windows that is the COM control; a feed folder given or
  // remembered lets the program run on recorded data without it. Elsewhere the recorded-feed
  // backend is built in and always present.
  if (feed.empty() && !zelkova::JvLinkPresent()) {
    if (splash) splash->close();
    prompts.beep();
    prompts.information(zelkova::JvLinkMissingMessage());
    return 1;
  }

  // 3. Title, then the long-lived windows in their order.
  QApplication::setApplicationName("Zelkova");
  QApplication::setApplicationDisplayName("Zelkova");
  zelkova::gui::QtClipboard clipboard;
  zelkova::gui::QtShellOpen shellOpen;
  zelkova::gui::QtFolderChooser chooser;

  zelkova::AppContext ctx;
  ctx.programFolder = home;
  ctx.exeName = "zelkova";
  ctx.prompts = &prompts;
  ctx.clock = &clock;
  ctx.registry = registry.get();
  ctx.folderChooser = &chooser;
  ctx.shellOpen = &shellOpen;
  ctx.clipboard = &clipboard;

  zelkova::RecordedJvLink jvlink(feed.empty() ? home / "feed" : zelkova::PathFromUtf8(feed), home / "jvcache", clock);
  jvlink.setFolderChooser(&chooser);
  ctx.jvlink = &jvlink;
  // The system's JV-Link, unless a feed folder was given now.
  std::string jvlinkProblem;
  const std::unique_ptr<zelkova::JvLink> system = feedGiven ? nullptr : zelkova::SystemJvLink(jvlinkProblem);
  if (system) {
    ctx.jvlink = system.get();
  } else if (feed.empty() && zelkova::SystemCanHaveJvLink()) {
    // Registered but not creatable (e.g. by a 64-bit build): as good as missing.
    if (splash) splash->close();
    prompts.beep();
    prompts.information(jvlinkProblem);
    return 1;
  }

  zelkova::gui::TMainForm mainForm(ctx);
  prompts.setParent(&mainForm);
  prompts.setStatusBar(mainForm.statusBar());
  zelkova::gui::TWaitForm waitForm;
  mainForm.setWaitForm(&waitForm);
  zelkova::gui::THenkoForm henkoForm(ctx.settingsPath());
  mainForm.setHenkoForm(&henkoForm);
  mainForm.setReplayClock(replay.get());
  zelkova::gui::TKakosoForm kakosoForm(ctx.settingsPath());
  mainForm.setKakosoForm(&kakosoForm);
  if (mainForm.terminationRequested()) {
    // The messages were shown during creation; end before the message loop, writing nothing.
    if (splash) splash->close();
    return 1;
  }

  // A feed folder given with --feed, or chosen in JV-Link's settings dialog, is remembered.
  auto rememberFeed = [&] {
    std::string now = zelkova::PathToUtf8(jvlink.feedFolder());
    if (now == zelkova::Cp932ToUtf8Lossy(ini.ReadString("JVLink", "FeedFolder", ""))) return;
    if (auto sj = zelkova::Utf8ToCp932(now); sj.ok()) {
      if (zelkova::Status s = ini.WriteString("JVLink", "FeedFolder", *sj); !s.ok())
        prompts.information(s.message());
    } else {
      prompts.information(zelkova::Sj("フィードフォルダの名前にShift-JISで表せない文字があるため、設定に保存できません。"));
    }
  };
  // A folder that cannot be written keeps nothing; the main window said so once.
  ini.setReadOnly(ctx.readOnly);
  if (ctx.jvlink == &jvlink) {
    if (!feed.empty() && feed != remembered) rememberFeed();
    mainForm.onBatchDownloadClosed = rememberFeed;
  }

  mainForm.show();
  mainForm.activateWindow();
  // The date loads first, the buttons run on it, then the race and the page are chosen: a
  // command that goes through the races (O1) still leaves the race asked for on the screen.
  const bool choose = !date.isEmpty() || raceNamed || !page.isEmpty();
  QString why;
  auto failed = [&] {
    std::fprintf(stderr, "zelkova: %s\n", why.toUtf8().constData());
    return !screenshot.empty();
  };
  const bool loaded = !choose || mainForm.ShowRace(date, 0, QString(), &why);
  if (!loaded && failed()) return 1;
  for (const QString& name : clicks) {
    if (!mainForm.pressCommand(name)) {
      std::fprintf(stderr, "zelkova: 「%s」というボタンやメニューはありません\n", name.toUtf8().constData());
      if (!screenshot.empty()) return 1;
    }
  }
  if (loaded && choose) {
    // The race named as every command names one; the list item that shows it.
    int item = 0;
    if (raceNamed && mainForm.raceDay()) {
      const zelkova::RaceChoice chosen = zelkova::ChooseRaces(*mainForm.raceDay(), raceName, true);
      if (!chosen.problem.empty()) {
        why = QString::fromStdString(zelkova::Cp932ToUtf8Lossy(chosen.problem));
        if (failed()) return chosen.needsMore ? 2 : 1;
      } else {
        const std::vector<int> list = zelkova::RaceListSlots(*mainForm.raceDay());
        item = static_cast<int>(std::find(list.begin(), list.end(), chosen.picked.front()) - list.begin()) + 1;
      }
    }
    if (!(mainForm.ShowRaceOfDay(item, page, &why) && (horse <= 0 || mainForm.ShowHorse(horse, &why))) && failed())
      return 1;
  }
  if (autoOdds) {
    mainForm.AutoOzCheck()->setChecked(true);
    mainForm.AutoOzCheckClick();
  }
  if (!screenshot.empty()) {
    // The show handling (JVInit, version check) ran inside show(); give layout a moment. The
    // picture shows the analysis area with its pages, as it appears once a day is loaded.
    // With stored dates the newest is loaded, as a user would pick it.
    if (!choose) {
      mainForm.Panel12()->show();
      if (mainForm.DateCombo()->count() > 0) {
        mainForm.DateCombo()->setCurrentIndex(0);
        mainForm.DateComboChange();
      }
    }
    auto shoot = [&] {
      if (splash) splash->close();
      // The clock and the countdown as they stand at the picture's moment.
      mainForm.Timer2Timer();
      if (mainForm.Timer3.isActive()) mainForm.Timer3Timer();
      QApplication::processEvents();  // lays the labels out for their new texts
      const QPixmap picture = horse > 0 ? kakosoForm.grab() : mainForm.picture();
      QByteArray png;
      QBuffer buffer(&png);
      zelkova::Status s = picture.save(&buffer, "PNG")
                              ? zelkova::WriteFileAtomic(screenshotFile, std::string_view(png.constData(), static_cast<size_t>(png.size())))
                              : zelkova::FileFailure(screenshotFile, "に書き込めません", zelkova::Sj("PNGにできません"));
      if (!s.ok()) std::fprintf(stderr, "zelkova: %s\n", zelkova::Cp932ToUtf8Lossy(s.message()).c_str());
      QApplication::exit(s.ok() ? 0 : 1);
    };
    if (!shotAt) {
      QTimer::singleShot(500, &mainForm, shoot);
    } else {
      // The replay runs until the moment; then it stops, so the picture shows that moment.
      auto* wait = new QTimer(&mainForm);
      QObject::connect(wait, &QTimer::timeout, &mainForm, [&, wait, shoot] {
        if (zelkova::SerialSeconds(replay->now()) < zelkova::SerialSeconds(*shotAt)) return;
        wait->stop();
        mainForm.setReplayClock(nullptr);
        QTimer::singleShot(300, &mainForm, shoot);
      });
      wait->start(50);
    }
  }
  if (splash) QTimer::singleShot(1500, splash, [splash] { if (splash) splash->close(); });
  return QApplication::exec();
}
