// Pieces the commands that talk to JV-Link share: prompts on a terminal, and the test hooks of
// the crash tests.
#pragma once

#include <chrono>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

#include "base/cp932.h"
#include "base/platform.h"
#include "jvlink/jv_link.h"

namespace zelkova::cli {

// Information boxes become lines on `err` (messages are not the command's output), confirmations
// are answered Yes; no beeps, no cursor.
class ConsolePrompts : public Prompts {
 public:
  explicit ConsolePrompts(std::ostream& err) : err_(err) {}
  void beep() override {}
  void information(const std::string& text) override {
    std::string t = Cp932ToUtf8Lossy(text);
    for (size_t at; (at = t.find("\r\n")) != std::string::npos;) t.replace(at, 2, "\n");
    err_ << t << "\n" << std::flush;
  }
  bool confirm(const std::string& text) override {
    err_ << Cp932ToUtf8Lossy(text) << " → はい\n";
    return true;
  }
  void statusText(const std::string&) override {}
  void processEvents() override {}
  void busyCursor(bool) override {}

 private:
  std::ostream& err_;
};

// Test hooks for the crash tests, read from the environment: ZELKOVA_ABORT_AFTER=N ends the
// process abruptly (std::_Exit, no flush, no destructors) once N records have been read, as a
// kill would; ZELKOVA_FLUSH_MS=N sets the write-back flush interval so that a short download
// still writes some files before such a kill; ZELKOVA_HOLD_AFTER=N makes the read wait for ever
// once N records have been read, as a download busy for a long time, until the process is killed.
inline std::optional<long> EnvNumber(const char* name) {
  const char* v = std::getenv(name);
  if (!v || !*v) return std::nullopt;
  char* end = nullptr;
  long n = std::strtol(v, &end, 10);
  if (*end != '\0' || n < 0) return std::nullopt;
  return n;
}

// Passes every call through; counts the records JVRead hands out and dies after `limit` (or waits
// for ever after `hold`).
class AbortingJvLink : public JvLink {
 public:
  AbortingJvLink(JvLink& inner, long limit, long hold = -1) : inner_(inner), limit_(limit), hold_(hold) {}
  int JVInit(const std::string& sid) override { return inner_.JVInit(sid); }
  int JVSetUIProperties() override { return inner_.JVSetUIProperties(); }
  int JVOpen(const std::string& dataspec, const std::string& fromdate, int option, int& readcount, int& downloadcount,
             std::string& lastfiletimestamp) override {
    return inner_.JVOpen(dataspec, fromdate, option, readcount, downloadcount, lastfiletimestamp);
  }
  int JVRTOpen(const std::string& dataspec, const std::string& key) override { return inner_.JVRTOpen(dataspec, key); }
  int JVStatus() override { return inner_.JVStatus(); }
  int JVRead(std::string& buff, int& size, std::string& filename) override {
    if (limit_ >= 0 && read_ >= limit_) std::_Exit(137);
    while (hold_ >= 0 && read_ >= hold_) std::this_thread::sleep_for(std::chrono::seconds(1));
    int r = inner_.JVRead(buff, size, filename);
    if (r > 0) ++read_;
    return r;
  }
  void JVCancel() override { inner_.JVCancel(); }
  int JVClose() override { return inner_.JVClose(); }
  int JVMVCheck(const std::string& key) override { return inner_.JVMVCheck(key); }
  int JVMVPlay(const std::string& key) override { return inner_.JVMVPlay(key); }
  std::string version() override { return inner_.version(); }
  const std::string& lastProblem() const override { return inner_.lastProblem(); }

 private:
  JvLink& inner_;
  long limit_;
  long hold_;
  long read_ = 0;
};

}  // namespace zelkova::cli
