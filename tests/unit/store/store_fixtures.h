// Record builders and a scripted JvLink for the stored-file and batch download tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "jvlink/jv_link.h"
#include "records/record.h"

namespace zelkova::testing {

// A record of `len` bytes (CR LF included): kind, division, creation date, race key, then blanks.
inline std::string Rec(const char* kind, char division, const std::string& key16, size_t len) {
  std::string r(len, ' ');
  r.replace(0, 2, kind);
  r[2] = division;
  r.replace(3, 8, "20240101");
  r.replace(11, key16.size(), key16);
  r.replace(len - 2, 2, "\r\n");
  return r;
}
// Race key: yyyymmdd + course + meeting 02 + day 03 + race.
inline std::string Key(const std::string& yyyymmdd, const std::string& course, int race) {
  char rr[3] = {static_cast<char>('0' + race / 10), static_cast<char>('0' + race % 10), 0};
  return yyyymmdd + course + "0203" + rr;
}
inline std::string RA(char div, const std::string& date, const std::string& course, int race) {
  return Rec("RA", div, Key(date, course, race), kLenRA);
}
inline std::string HR(char div, const std::string& date, const std::string& course, int race) {
  return Rec("HR", div, Key(date, course, race), kLenHR);
}
inline std::string SE(char div, const std::string& date, const std::string& course, int race, int horse,
                      const std::string& reg = "2020100001") {
  std::string r = Rec("SE", div, Key(date, course, race), kLenSE);
  r[27] = '1';
  r[28] = static_cast<char>('0' + horse / 10);
  r[29] = static_cast<char>('0' + horse % 10);
  r.replace(30, 10, reg);
  return r;
}
inline std::string Master(const char* kind, const std::string& id, size_t len) {
  std::string r = Rec(kind, '1', id, len);
  return r;
}

// Serves `files` (each a list of records) like JV-Link: one record per JVRead, -1 after each
// file, 0 at the end. JVStatus counts up to `downloadCount`.
class ScriptedJvLink : public JvLink {
 public:
  std::vector<std::vector<std::string>> files;
  int openResult = 0;
  int downloadCount = 0;
  std::string lastTimestamp = "20240512183000";
  int failReadAt = -1;  // JVRead call number (from 0) that returns -402
  int closes = 0, cancels = 0, opens = 0;
  std::string fromdate;
  std::vector<std::string> calls;

  int JVInit(const std::string&) override { return 0; }
  int JVSetUIProperties() override { return setUiResult; }
  int setUiResult = 0;
  int JVOpen(const std::string&, const std::string& from, int, int& readcount, int& dc,
             std::string& ts) override {
    ++opens;
    fromdate = from;
    calls.push_back("JVOpen");
    readcount = static_cast<int>(files.size());
    dc = downloadCount;
    ts = lastTimestamp;
    file_ = rec_ = 0;
    status_ = 0;
    reads_ = 0;
    return openResult;
  }
  int JVRTOpen(const std::string&, const std::string&) override { return -1; }
  int JVStatus() override {
    calls.push_back("JVStatus");
    if (status_ < downloadCount) ++status_;
    return status_;
  }
  int JVRead(std::string& buff, int&, std::string& filename) override {
    if (reads_++ == failReadAt) return -402;
    if (file_ >= files.size()) return 0;
    if (rec_ >= files[file_].size()) {
      ++file_;
      rec_ = 0;
      return -1;
    }
    buff = files[file_][rec_++];
    filename = "F" + std::to_string(file_);
    if (onRead) onRead();
    return static_cast<int>(buff.size());
  }
  void JVCancel() override {
    ++cancels;
    calls.push_back("JVCancel");
  }
  int JVClose() override {
    ++closes;
    calls.push_back("JVClose");
    return closeResult;
  }
  int closeResult = 0;
  int JVMVCheck(const std::string&) override { return 0; }
  int JVMVPlay(const std::string&) override { return 0; }
  std::string version() override { return "0490"; }
  const std::string& lastProblem() const override { return why; }
  std::function<void()> onRead;
  std::string why;  // what the backend tells of its failures

 private:
  size_t file_ = 0, rec_ = 0;
  int status_ = 0, reads_ = 0;
};

}  // namespace zelkova::testing
