// JV-Link itself: the COM control "JVDTLab.JVLink", called by late-bound IDispatch so that the
// build needs neither its type library nor generated headers; each name is looked up once.
// Text crosses as BSTR (UTF-16) and is CP932 on this side; out-parameters go by reference.
// A call that COM itself fails returns -401 (JV-Link's internal error) and lastProblem() says
// why. Windows only. JV-Link is a 32-bit in-process server, so it loads only into a 32-bit
// program. All calls from the thread that created the object (the GUI thread, an STA).
#pragma once

#ifdef _WIN32

#include <map>
#include <memory>
#include <string>

#include "jvlink/jv_link.h"

struct IDispatch;
struct tagVARIANT;

namespace zelkova {

class ComJvLink : public JvLink {
 public:
  // True iff an object of "JVDTLab.JVLink" can be created here (the start-up check: it is
  // created and released at once).
  static bool IsAvailable();
  // Creates the control; nullptr with `why` set when that is impossible.
  static std::unique_ptr<ComJvLink> Create(std::string& why);
  // Calls an IDispatch made elsewhere (a test's fake, a control hosted by a window); takes a
  // reference of its own. The caller's thread must have COM initialised.
  static std::unique_ptr<ComJvLink> Attach(IDispatch* dispatch);
  ~ComJvLink() override;

  ComJvLink(const ComJvLink&) = delete;
  ComJvLink& operator=(const ComJvLink&) = delete;

  // Owner window of JV-Link's own dialogs (its ParentHWnd property); 0 = none.
  void setParentWindow(long long hwnd);
  // The COM failure behind the last -401 (method, HRESULT, JV-Link's description); ASCII/CP932.
  const std::string& lastProblem() const override { return lastProblem_; }

  int JVInit(const std::string& sid) override;
  int JVSetUIProperties() override;
  int JVOpen(const std::string& dataspec, const std::string& fromdate, int option, int& readcount,
             int& downloadcount, std::string& lastfiletimestamp) override;
  int JVRTOpen(const std::string& dataspec, const std::string& key) override;
  int JVStatus() override;
  int JVRead(std::string& buff, int& size, std::string& filename) override;
  void JVCancel() override;
  int JVClose() override;
  int JVMVCheck(const std::string& key) override;
  int JVMVPlay(const std::string& key) override;
  std::string version() override;

 private:
  ComJvLink(IDispatch* dispatch, bool uninitialize);

  // Calls `name` with `args` in call order (reversed internally, as IDispatch wants them).
  // Returns false and sets lastProblem_ when COM itself failed.
  bool call(const wchar_t* name, unsigned short flags, tagVARIANT* args, unsigned count, tagVARIANT* result);
  // A method returning a JV-Link code; a COM failure reads as -401 (internal error).
  int callCode(const wchar_t* name, tagVARIANT* args, unsigned count);

  IDispatch* dispatch_;
  bool uninitialize_;  // this object's CoInitializeEx must be balanced
  std::map<std::wstring, long> dispIds_;
  std::string lastProblem_;
};

}  // namespace zelkova

#endif  // _WIN32
