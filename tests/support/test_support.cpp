#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "base/cp932.h"
#include "base/file_io.h"

namespace zelkova::testing {

TempDir::TempDir() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (int i = 0; i < 100; ++i) {
    auto p = base / ("zelkova_test_" + std::to_string(CurrentProcessId()) + "_" + std::to_string(rd()));
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
  if (!out) throw std::runtime_error("cannot write " + U8(path));
}

std::filesystem::path U8Path(const std::string& utf8) { return PathFromUtf8(utf8); }

std::string U8(const std::filesystem::path& p) { return PathToUtf8(p); }

CommandRun RunCommand(const std::string& command, const std::filesystem::path& errFile) {
  CommandRun r;
#ifdef _WIN32
  (void)command;
  (void)errFile;
  throw std::logic_error("RunCommand needs a POSIX shell; use RunProgram");
#else
  const std::string full = errFile.empty() ? command : command + " 2>'" + errFile.string() + "'";
  FILE* p = ::popen(full.c_str(), "r");
  if (!p) return r;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : WIFSIGNALED(st) ? 128 + WTERMSIG(st) : -1;
  if (!errFile.empty()) r.err = ReadBytes(errFile);
#endif
  return r;
}

#ifdef _WIN32

namespace {

// One argument quoted as CommandLineToArgvW and the C runtime split it again.
std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  for (size_t i = 0;; ++i) {
    size_t slashes = 0;
    while (i < arg.size() && arg[i] == L'\\') ++i, ++slashes;
    if (i == arg.size()) {
      out.append(slashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"') {
      out.append(slashes * 2 + 1, L'\\');
    } else {
      out.append(slashes, L'\\');
    }
    out.push_back(arg[i]);
  }
  out.push_back(L'"');
  return out;
}

}  // namespace

CommandRun RunProgram(const std::string& name, const std::vector<std::string>& args) {
  CommandRun r;
  std::filesystem::path exe = std::filesystem::path(ZELKOVA_BIN_DIR) / (name + ".exe");
  exe.make_preferred();
  std::wstring line = QuoteArgument(exe.wstring());
  for (const std::string& a : args) line += L" " + QuoteArgument(Utf8ToWide(a));

  TempDir errDir;
  const std::filesystem::path errFile = errDir / "stderr.txt";
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readOut = nullptr, writeOut = nullptr;
  if (!CreatePipe(&readOut, &writeOut, &inherit, 0)) return r;
  SetHandleInformation(readOut, HANDLE_FLAG_INHERIT, 0);
  HANDLE err = CreateFileW(errFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  HANDLE in = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = writeOut;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeOut);
  CloseHandle(err);
  CloseHandle(in);
  if (started) {
    char buf[65536];
    DWORD n = 0;
    while (::ReadFile(readOut, buf, sizeof buf, &n, nullptr) && n > 0) r.out.append(buf, n);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    r.status = static_cast<int>(code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(readOut);
  r.err = ReadBytes(errFile);
  return r;
}

#else

CommandRun RunProgram(const std::string& name, const std::vector<std::string>& args) {
  auto quote = [](const std::string& a) {
    std::string q = "'";
    for (char c : a) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  };
  std::string command = quote(std::string(ZELKOVA_BIN_DIR) + "/" + name);
  for (const std::string& a : args) command += " " + quote(a);
  TempDir errDir;
  return RunCommand(command + " </dev/null", errDir / "stderr.txt");
}

#endif

std::string BinPath(const std::string& name) { return "'" + std::string(ZELKOVA_BIN_DIR) + "/" + name + "'"; }

std::string MakeDownloadedHome(const std::filesystem::path& dir, int seed) {
  namespace fs = std::filesystem;
  const fs::path feed = dir / "feed", home = dir / "home";
  std::error_code ec;
  fs::create_directories(home, ec);
  for (const char* f : {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"})
    if (!fs::copy_file(fs::path(ZELKOVA_BIN_DIR) / f, home / f, fs::copy_options::overwrite_existing, ec))
      return std::string("cannot install ") + f + ": " + ec.message();
  const CommandRun gen = RunProgram("zelkova-feedgen", {"--out", U8(feed), "--scale", "test", "--seed", std::to_string(seed),
                                                       "--today", "2024-05-12"});
  if (gen.status != 0) return "zelkova-feedgen failed: " + gen.err;
  const CommandRun dl = RunProgram("zelkova-cli", {"--home", U8(home), "--feed", U8(feed), "download", "--from",
                                                   "2000/01/01 00:00:00"});
  if (dl.status != 0) return "the download failed: " + dl.err;
  return {};
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace zelkova::testing
