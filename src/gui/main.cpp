// zelkova: the program. Options: --home DIR (program folder), --feed DIR (recorded JV-Link
// feed, remembered in the settings), --screenshot FILE (show the window, save it as PNG, exit).
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/app_context.h"
#include "app/ini_gt.h"
#include "app/program_folder.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "gui/henko_form.h"
#include "gui/kakoso_form.h"
#include "gui/main_form.h"
#include "gui/qt_platform.h"
#include "gui/splash.h"
#include "gui/wait_form.h"
#include "jvlink/recorded_jv_link.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: zelkova [--home DIR] [--feed DIR] [--screenshot FILE.png]\n");
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
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    if (const char* e = std::getenv(v); e && *e) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Without a display Qt would abort; a screenshot needs none, anything else gets told how.
  if (!HasDisplay()) {
    if (HasOption(argc, argv, "--screenshot")) {
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
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

  std::filesystem::path home = zelkova::ExecutableFolder(argv[0]);
  std::string feed, screenshot;
  QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if ((a == "--home" || a == "--feed" || a == "--screenshot") && i + 1 < args.size()) {
      std::string v = args[++i].toStdString();
      if (a == "--home") home = std::filesystem::absolute(v);
      else if (a == "--feed") feed = std::filesystem::absolute(v).string();
      else screenshot = v;
    } else {
      return Usage();
    }
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(home, ec)) {
    std::fprintf(stderr, "zelkova: program folder %s does not exist\n", home.string().c_str());
    return 1;
  }
  // Every relative path of the program is taken from here.
  std::filesystem::current_path(home, ec);
  if (ec) {
    std::fprintf(stderr, "zelkova: cannot enter the program folder %s: %s\n", home.string().c_str(),
                 ec.message().c_str());
    return 1;
  }

  // 1. The splash comes first and goes when the main window becomes active.
  // It deletes itself when closed, which may happen at any activation change.
  QPointer<zelkova::gui::TSplash> splash = new zelkova::gui::TSplash;
  splash->show();
  QApplication::processEvents();

  zelkova::SystemClock clock;
  zelkova::NoRegistry registry;
  zelkova::gui::QtPrompts prompts;
  prompts.setQuiet(!screenshot.empty());

  // 2. JV-Link must be there (here the recorded-feed backend always is).
  if (!zelkova::JvLinkPresent()) {
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
  ctx.registry = &registry;
  ctx.folderChooser = &chooser;
  ctx.shellOpen = &shellOpen;
  ctx.clipboard = &clipboard;

  zelkova::TIniGT ini(ctx.settingsPath());
  std::string remembered = zelkova::Cp932ToUtf8Lossy(ini.ReadString("JVLink", "FeedFolder", ""));
  if (feed.empty()) feed = remembered;
  zelkova::RecordedJvLink jvlink(feed.empty() ? home / "feed" : std::filesystem::path(feed), home / "jvcache", clock);
  jvlink.setFolderChooser(&chooser);
  ctx.jvlink = &jvlink;

  zelkova::gui::TMainForm mainForm(ctx);
  prompts.setParent(&mainForm);
  prompts.setStatusBar(mainForm.statusBar());
  zelkova::gui::TWaitForm waitForm;
  zelkova::gui::THenkoForm henkoForm(ctx.settingsPath());
  zelkova::gui::TKakosoForm kakosoForm(ctx.settingsPath());
  if (mainForm.terminationRequested()) {
    // The messages were shown during creation; end before the message loop, writing nothing.
    if (splash) splash->close();
    return 1;
  }

  // A feed folder given with --feed, or chosen in JV-Link's settings dialog, is remembered.
  auto rememberFeed = [&] {
    std::string now = jvlink.feedFolder().string();
    if (now == zelkova::Cp932ToUtf8Lossy(ini.ReadString("JVLink", "FeedFolder", ""))) return;
    if (auto sj = zelkova::Utf8ToCp932(now); sj.ok()) {
      if (zelkova::Status s = ini.WriteString("JVLink", "FeedFolder", *sj); !s.ok())
        prompts.information(s.message());
    } else {
      prompts.information(zelkova::Sj("フィードフォルダの名前にShift-JISで表せない文字があるため、設定に保存できません。"));
    }
  };
  if (!feed.empty() && feed != remembered) rememberFeed();
  mainForm.onBatchDownloadClosed = rememberFeed;

  mainForm.show();
  mainForm.activateWindow();
  if (!screenshot.empty()) {
    // The show handling (JVInit, version check) ran inside show(); give layout a moment. The
    // picture shows the analysis area with its pages, as it appears once a day is loaded.
    mainForm.Panel12()->show();
    if (mainForm.DateCombo()->count() > 0) mainForm.DateCombo()->setCurrentIndex(0);
    QTimer::singleShot(500, &mainForm, [&] {
      if (splash) splash->close();
      bool ok = mainForm.grab().save(QString::fromStdString(screenshot), "PNG");
      if (!ok) std::fprintf(stderr, "zelkova: cannot write %s\n", screenshot.c_str());
      QApplication::exit(ok ? 0 : 1);
    });
  }
  if (splash) QTimer::singleShot(1500, splash, [splash] { if (splash) splash->close(); });
  return QApplication::exec();
}
