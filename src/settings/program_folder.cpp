#include "settings/program_folder.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zelkova {

std::filesystem::path ExecutableFolder(const char* argv0) {
  std::error_code ec;
#ifdef _WIN32
  // The wide name: argv[0] holds only what the ANSI code page can.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) break;
    if (n < name.size()) {
      name.resize(n);
      return std::filesystem::path(name).parent_path();
    }
    name.resize(name.size() * 2);
  }
  std::filesystem::path exe;
#else
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
#endif
  if (ec || exe.empty()) exe = std::filesystem::absolute(argv0 ? argv0 : ".", ec);
  return exe.parent_path();
}

}  // namespace zelkova
