#include "settings/program_folder.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zelkova {

namespace {

// The running executable as the system names it; empty when it does not say.
std::filesystem::path ExecutablePath() {
#ifdef _WIN32
  // The wide name: argv[0] holds only what the ANSI code page can.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return {};
    if (n < name.size()) {
      name.resize(n);
      return std::filesystem::path(name);
    }
    name.resize(name.size() * 2);
  }
#else
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe;
#endif
}

}  // namespace

std::string ExecutableName() {
  const std::u8string name = ExecutablePath().stem().u8string();
  return std::string(name.begin(), name.end());
}

std::filesystem::path ExecutableFolder(const char* argv0) {
  std::error_code ec;
  std::filesystem::path exe = ExecutablePath();
  if (exe.empty()) exe = std::filesystem::absolute(argv0 ? argv0 : ".", ec);
  return exe.parent_path();
}

}  // namespace zelkova
