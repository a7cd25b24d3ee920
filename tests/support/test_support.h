// Small helpers shared by the tests: a temporary folder, a settable clock, recording prompts.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "base/platform.h"

namespace zelkova::testing {

// A fresh folder under the system temp folder, removed with everything in it at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

class FakeClock : public Clock {
 public:
  explicit FakeClock(LocalTime t = {2024, 5, 12, 10, 0, 0}) : t_(t) {}
  LocalTime now() const override { return t_; }
  void set(LocalTime t) { t_ = t; }

 private:
  LocalTime t_;
};

// Records every prompt; confirm() answers with `answer`.
class RecordingPrompts : public Prompts {
 public:
  void beep() override { ++beeps; events.push_back("beep"); }
  void information(const std::string& text) override { infos.push_back(text); events.push_back("info:" + text); }
  bool confirm(const std::string& text) override { confirms.push_back(text); events.push_back("confirm:" + text); return answer; }
  void statusText(const std::string& text) override { status = text; }
  void processEvents() override { ++pumps; }
  void busyCursor(bool on) override { busy = on; }

  int beeps = 0;
  int pumps = 0;
  bool answer = true;
  bool busy = false;
  std::string status;
  std::vector<std::string> infos, confirms, events;
};

// File permissions bind root only through another user. While one lives, a test that runs as
// root acts (by its effective ids) as the unprivileged user nobody, so that a read-only folder is
// read-only to it too; for other users, and on Windows, it does nothing. (Inline: the GUI tests
// use it without linking this folder's library.)
class AsUnprivilegedUser {
 public:
#ifndef _WIN32
  AsUnprivilegedUser() {
    if (::geteuid() != 0) return;
    // The group first: once the user is not root it may not change its group.
    if (::setegid(kNobody) != 0 || ::seteuid(kNobody) != 0) std::abort();
    switched_ = true;
  }
  ~AsUnprivilegedUser() {
    if (switched_ && (::seteuid(0) != 0 || ::setegid(0) != 0)) std::abort();  // the rest would not be root
  }
  static constexpr unsigned kNobody = 65534;
#else
  AsUnprivilegedUser() = default;
#endif
  AsUnprivilegedUser(const AsUnprivilegedUser&) = delete;
  AsUnprivilegedUser& operator=(const AsUnprivilegedUser&) = delete;

 private:
  bool switched_ = false;
};

// What runs a shell command as that user when the tests run as root: a prefix for RunCommand
// ("" for other users).
inline std::string UnprivilegedPrefix() {
#ifndef _WIN32
  const std::string nobody = std::to_string(AsUnprivilegedUser::kNobody);
  if (::geteuid() == 0) return "setpriv --reuid=" + nobody + " --regid=" + nobody + " --clear-groups -- ";
#endif
  return {};
}

// Makes everything below `root` (and itself) read-only, or writable to its owner again.
inline void SetTreeWritable(const std::filesystem::path& root, bool writable) {
  namespace fs = std::filesystem;
  const fs::perms w =
      writable ? fs::perms::owner_write : fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  const auto opt = writable ? fs::perm_options::add : fs::perm_options::remove;
  fs::permissions(root, w, opt);
  for (auto& e : fs::recursive_directory_iterator(root)) fs::permissions(e.path(), w, opt);
}

// Runs `command` through the shell (POSIX systems only): its exit status (128 + the signal when a signal ended it, -1
// when it could not run) and standard output; with `errFile` its standard error goes there and is
// read back into `err`.
struct CommandRun {
  int status = -1;
  std::string out, err;
};
CommandRun RunCommand(const std::string& command, const std::filesystem::path& errFile = {});
// Runs one of the built executables with `args` (no shell: any bytes may stand in an argument)
// and returns its exit status, standard output and standard error. Arguments are UTF-8.
CommandRun RunProgram(const std::string& name, const std::vector<std::string>& args);
// The path of one of the built executables, quoted for the shell.
std::string BinPath(const std::string& name);

// An installed program folder `dir`/home (the fixed files copied beside the executables) that
// has downloaded a generated test-scale feed of `seed` (made in `dir`/feed, "today" 2024-05-12).
// Empty when all went well, else what failed with its standard error.
std::string MakeDownloadedHome(const std::filesystem::path& dir, int seed);

// A path from UTF-8 text (a plain std::string is taken in the ANSI code page on Windows).
std::filesystem::path U8Path(const std::string& utf8);
// A path as UTF-8 text, for arguments and comparisons.
std::string U8(const std::filesystem::path& p);

// Writes `bytes` to `path`, creating the parent folders.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);

}  // namespace zelkova::testing
