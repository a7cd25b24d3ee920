#include "base/console.h"

#include "base/cp932.h"

#include <chrono>
#include <cstdio>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace zelkova {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  std::vector<std::string> args;
  int n = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &n);
  if (wide == nullptr) return args;
  for (int i = 1; i < n; ++i) args.push_back(WideToUtf8(wide[i]));
  LocalFree(wide);
  return args;
#else
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
#endif
}

void SetUpConsoleOutput() {
#ifdef _WIN32
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
#endif
}

void WaitBriefly() {
#ifdef _WIN32
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
#endif
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(2) != 0;
#else
  return ::isatty(2) != 0;
#endif
}

}  // namespace zelkova
