#include "gui/print_pdf.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/headless_day.h"
#include "app/startup.h"
#include "base/console.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "gui/page_recorder.h"
#include "gui/qt_platform.h"
#include "output/analysis_print.h"
#include "settings/program_folder.h"

namespace zelkova::gui {

namespace {

// A bad argument: one line saying what is wrong with it.
int Usage(const std::string& why) {
  std::fprintf(stderr, "zelkova: %s\n", why.c_str());
  return 2;
}

}  // namespace

bool WantsPrintPdf(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--print-pdf") == 0) return true;
  return false;
}

int PrintPdfMain(int argc, char** argv) {
  std::filesystem::path home = ExecutableFolder(argv[0]);
  std::string date, pdf;
  // UTF-8 on every system (the ANSI code page of a Windows argv would lose names); paths are
  // taken from the folder they were typed in.
  const std::vector<std::string> args = Utf8Arguments(argc, argv);
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if ((a == "--home" || a == "--date" || a == "--print-pdf") && i + 1 < args.size()) {
      const std::string& v = args[++i];
      if (a == "--home") home = std::filesystem::absolute(PathFromUtf8(v));
      else if (a == "--date") date = v;
      else pdf = v;
    } else if (a == "--home" || a == "--date" || a == "--print-pdf") {
      return Usage(a + " に値がありません");
    } else {
      return Usage("--print-pdf には「" + a + "」という引数は使えません（--home DIR --date DATE --print-pdf FILE.pdf）");
    }
  }
  if (date.empty()) return Usage("--print-pdf には --date DATE が要ります");
  std::string dateText;
  if (std::string why = CheckDateArgument(date, &dateText); !why.empty()) return Usage(Cp932ToUtf8Lossy(why));
  if (pdf.empty()) return Usage("--print-pdf に書き出すファイルがありません");
  // The program folder is checked as the window's start checks it, with the same messages.
  if (std::string why = ProgramFolderProblem(home); !why.empty()) {
    std::fprintf(stderr, "zelkova: %s\n", Cp932ToUtf8Lossy(why).c_str());
    return 1;
  }
  if (const FixedFiles fixed = LoadFixedFiles(home); !fixed.messages.empty()) {
    for (const std::string& m : fixed.messages) std::fprintf(stderr, "zelkova: %s\n", Cp932ToUtf8Lossy(m).c_str());
    return 1;
  }
  // No display is needed: the page is drawn into the PDF only.
  UseOffscreenPlatform();
  QApplication app(argc, argv);

  const std::string shown = Cp932ToUtf8Lossy(dateText);
  auto day = MakeRaceDay();
  auto load = LoadDayHeadless(home, dateText, *day, [&](const std::string& text) {
    std::fprintf(stderr, "zelkova: %s: %s\n", shown.c_str(), Cp932ToUtf8Lossy(text).c_str());
  });
  if (!load.ok()) {
    if (load.status().isNotFound())
      std::fprintf(stderr, "zelkova: %s：この日のレースのデータがありません\n", shown.c_str());
    else
      std::fprintf(stderr, "zelkova: %s: %s\n", shown.c_str(), Cp932ToUtf8Lossy(load.status().message()).c_str());
    return 1;
  }
  const int n = RaceListCount(*day);
  if (n == 0) {
    std::fprintf(stderr, "zelkova: %s：印刷するレースがありません\n", shown.c_str());
    return 1;
  }
  PageRecorder rec;
  rec.setDevice(A4Device());
  rec.BeginPages();
  rec.Draw(AnalysisPrint(*day, n));
  rec.EndPages();
  const std::filesystem::path out = std::filesystem::absolute(PathFromUtf8(pdf));
  if (Status s = rec.WritePdf(out, Q(AnalysisPrintCaption())); !s.ok()) {
    std::fprintf(stderr, "zelkova: %s\n", Cp932ToUtf8Lossy(s.message()).c_str());
    return 1;
  }
  std::printf("%s\n", PathToUtf8(out).c_str());
  return 0;
}

}  // namespace zelkova::gui
