#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace zelkova::testing {

TempDir::TempDir() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (int i = 0; i < 100; ++i) {
    auto p = base / ("zelkova_test_" + std::to_string(::getpid()) + "_" + std::to_string(rd()));
    if (std::filesystem::create_directory(p)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

CommandRun RunCommand(const std::string& command, const std::filesystem::path& errFile) {
  CommandRun r;
  const std::string full = errFile.empty() ? command : command + " 2>'" + errFile.string() + "'";
  FILE* p = ::popen(full.c_str(), "r");
  if (!p) return r;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : WIFSIGNALED(st) ? 128 + WTERMSIG(st) : -1;
  if (!errFile.empty()) r.err = ReadBytes(errFile);
  return r;
}

std::string BinPath(const std::string& name) { return "'" + std::string(ZELKOVA_BIN_DIR) + "/" + name + "'"; }

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace zelkova::testing
