// zelkova: the program. Options: --home DIR (program folder), --feed DIR (recorded JV-Link
// feed, remembered in the settings), --screenshot FILE (show the window, save it as PNG, exit).
#include <unistd.h>

#include <QApplication>
#include <QFontDatabase>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/app_context.h"
#include "app/ini_gt.h"
#include "app/program_folder.h"
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

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Zelkova");
  QApplication::setApplicationDisplayName("Zelkova");
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

  auto* splash = new zelkova::gui::TSplash;
  splash->show();
  QApplication::processEvents();

  // On this platform the recorded-feed backend is always present, so the JV-Link presence
  // check cannot fail.
  zelkova::SystemClock clock;
  zelkova::NoRegistry registry;
  zelkova::gui::QtPrompts prompts;
  prompts.setQuiet(!screenshot.empty());
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
  if (!feed.empty()) {
    auto sj = zelkova::Utf8ToCp932(feed);
    if (sj.ok()) (void)ini.WriteString("JVLink", "FeedFolder", *sj);
  } else {
    feed = zelkova::Cp932ToUtf8Lossy(ini.ReadString("JVLink", "FeedFolder", ""));
  }
  zelkova::RecordedJvLink jvlink(feed.empty() ? home / "feed" : std::filesystem::path(feed), home / "jvcache", clock);
  jvlink.setFolderChooser(&chooser);
  ctx.jvlink = &jvlink;

  zelkova::gui::TMainForm mainForm(ctx);
  prompts.setParent(&mainForm);
  prompts.setStatusBar(mainForm.statusBar());
  if (mainForm.terminationRequested()) {
    splash->close();
    return 1;
  }
  // A folder chosen in JV-Link's settings dialog is remembered like --feed.
  mainForm.onBatchDownloadClosed = [&] {
    auto sj = zelkova::Utf8ToCp932(jvlink.feedFolder().string());
    if (sj.ok() && zelkova::Cp932ToUtf8Lossy(ini.ReadString("JVLink", "FeedFolder", "")) != jvlink.feedFolder().string())
      (void)ini.WriteString("JVLink", "FeedFolder", *sj);
  };
  zelkova::gui::TWaitForm waitForm;
  zelkova::gui::THenkoForm henkoForm(ctx.settingsPath());
  zelkova::gui::TKakosoForm kakosoForm(ctx.settingsPath());

  mainForm.show();
  mainForm.activateWindow();
  if (!screenshot.empty()) {
    QTimer::singleShot(800, &mainForm, [&] {
      bool ok = mainForm.grab().save(QString::fromStdString(screenshot), "PNG");
      if (!ok) std::fprintf(stderr, "zelkova: cannot write %s\n", screenshot.c_str());
      QApplication::exit(ok ? 0 : 1);
    });
  }
  QTimer::singleShot(1500, splash, [splash] { splash->close(); });
  return QApplication::exec();
}
