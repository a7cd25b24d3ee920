#include "settings/program_folder.h"

#include <system_error>

namespace zelkova {

std::filesystem::path ExecutableFolder(const char* argv0) {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) exe = std::filesystem::absolute(argv0 ? argv0 : ".", ec);
  return exe.parent_path();
}

}  // namespace zelkova
