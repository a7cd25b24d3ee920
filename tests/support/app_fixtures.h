// Header-only fixtures shared by the start-up tests and the GUI tests (which do not link the
// support library): a scripted JvLink, fixed-file bytes and a minimal race file record.
#pragma once

#include <cstring>
#include <string>

#include "jvlink/jv_link.h"
#include "records/record.h"

namespace zelkova::testing {

// Answers JVInit with `initCode` and the version with `ver`; nothing to download.
class FakeJvLink : public JvLink {
 public:
  int JVInit(const std::string& sid) override {
    sidSeen = sid;
    return initCode;
  }
  int JVSetUIProperties() override { return 0; }
  int JVOpen(const std::string&, const std::string&, int, int&, int&, std::string&) override { return -1; }
  int JVRTOpen(const std::string&, const std::string&) override { return -1; }
  int JVStatus() override { return 0; }
  int JVRead(std::string&, int&, std::string&) override { return 0; }
  void JVCancel() override {}
  int JVClose() override { return 0; }
  int JVMVCheck(const std::string&) override { return 0; }
  int JVMVPlay(const std::string&) override { return 0; }
  std::string version() override { return ver; }

  int initCode = 0;
  std::string ver = "0490";
  std::string sidSeen;
};

// `bytes` bytes of 8-byte doubles `v` (the fixed files RTJ.dat ... are such arrays).
inline std::string Doubles(size_t bytes, double v) {
  std::string out(bytes, '\0');
  for (size_t i = 0; i + 8 <= bytes; i += 8) std::memcpy(&out[i], &v, 8);
  return out;
}

// A race record (RA, 1272 bytes with CR LF) of race `race` at racecourse `course` (2 digits) on
// `yyyymmdd`, meeting 2, day 3, `runners` entries, post time `hhmm`; the rest blank. An empty
// date gives the blank record a race file may hold.
inline std::string RaceRecord(const std::string& yyyymmdd, const std::string& course, int race, int runners = 0,
                              const std::string& hhmm = "1000") {
  std::string r(kLenRA, ' ');
  r.replace(0, 3, "RA7");
  if (!yyyymmdd.empty()) {
    auto two = [](int n) { return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)}; };
    r.replace(11, 8, yyyymmdd);
    r.replace(19, 2, course);
    r.replace(21, 2, "02");
    r.replace(23, 2, "03");
    r.replace(25, 2, two(race));
    r.replace(873, 4, hhmm);
    r.replace(881, 2, two(runners));
  }
  r.replace(kLenRA - 2, 2, "\r\n");
  return r;
}

// An entry file (.jvSEr) of `races` races at `course` on `yyyymmdd`, each with `runners` entries
// (horse numbers 1..runners, registration numbers 20200000nn); the file keeps 18 records per race.
inline std::string EntryFile(const std::string& yyyymmdd, const std::string& course, int races, int runners) {
  auto two = [](int n) { return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)}; };
  std::string out;
  for (int race = 1; race <= races; ++race)
    for (int h = 1; h <= 18; ++h) {
      std::string r(kLenSE, ' ');
      if (h <= runners) {
        r.replace(0, 3, "SE7");
        r.replace(11, 8, yyyymmdd);
        r.replace(19, 2, course);
        r.replace(21, 2, "02");
        r.replace(23, 2, "03");
        r.replace(25, 2, two(race));
        r.replace(28, 2, two(h));
        r.replace(30, 10, "20200000" + two(h));
      }
      r.replace(kLenSE - 2, 2, "\r\n");
      out += r;
    }
  return out;
}

}  // namespace zelkova::testing
