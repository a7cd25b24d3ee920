// The JV-Link call contract as the program uses it. Every download goes through one instance.
// Texts are CP932 bytes on this side (the COM backend converts from and to wide strings).
// Result codes are JV-Link's: 0 = fine, negatives = errors, JVRead > 0 = record length.
#pragma once

#include <string>

namespace zelkova {

class JvLink {
 public:
  virtual ~JvLink() = default;

  virtual int JVInit(const std::string& sid) = 0;
  // JV-Link's own settings dialog (service key, data folder).
  virtual int JVSetUIProperties() = 0;
  // Opens a read cycle over stored files newer than `fromdate` ("yyyymmddhhnnss").
  virtual int JVOpen(const std::string& dataspec, const std::string& fromdate, int option, int& readcount,
                     int& downloadcount, std::string& lastfiletimestamp) = 0;
  // Opens a read cycle over a real-time stream.
  virtual int JVRTOpen(const std::string& dataspec, const std::string& key) = 0;
  // Files downloaded so far (0..downloadcount); negative = error.
  virtual int JVStatus() = 0;
  // > 0: one record (CR LF included) in `buff`, the value is its length; 0: end of all files;
  // -1: a file boundary; -2/-3: read again; below -3: error.
  virtual int JVRead(std::string& buff, int& size, std::string& filename) = 0;
  virtual void JVCancel() = 0;
  virtual int JVClose() = 0;
  // 1 = a video exists, 0 = none.
  virtual int JVMVCheck(const std::string& key) = 0;
  virtual int JVMVPlay(const std::string& key) = 0;
  // Four digits, e.g. "0490".
  virtual std::string version() = 0;
  // What lies behind the last call's failure beyond its code: the COM failure, the feed folder,
  // file or record. CP932; empty when the backend knows nothing more.
  virtual const std::string& lastProblem() const {
    static const std::string none;
    return none;
  }
};

}  // namespace zelkova
