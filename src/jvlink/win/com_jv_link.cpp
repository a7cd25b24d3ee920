#ifdef _WIN32

#include "jvlink/win/com_jv_link.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <utility>

#include "base/cp932.h"
#include "base/os_file.h"

namespace zelkova {
namespace {

constexpr const wchar_t* kProgId = L"JVDTLab.JVLink";
// JV-Link's "internal error": what a caller sees when the call could not be made at all.
constexpr int kComFailure = -401;

std::string HexResult(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(hr));
  return buf;
}

// "0x80040154 Class not registered": the code and the system's words for it.
std::string ResultText(HRESULT hr) {
  std::string text = os::SystemErrorText(static_cast<unsigned long>(hr));
  const size_t code = text.rfind(" (error ");
  if (code != std::string::npos) text.resize(code);  // the code is shown in hex instead
  return text.rfind("error ", 0) == 0 ? HexResult(hr) : HexResult(hr) + " " + text;
}

// An owned BSTR passed by value: wide text from CP932.
class BstrArg {
 public:
  explicit BstrArg(const std::string& cp932) {
    const std::wstring w = Cp932ToWide(cp932);
    s_ = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
  }
  ~BstrArg() { SysFreeString(s_); }
  BstrArg(const BstrArg&) = delete;
  BstrArg& operator=(const BstrArg&) = delete;
  bool ok() const { return s_ != nullptr; }
  void into(VARIANT& v) const {
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = s_;  // still owned here: the callee only borrows it
  }

 private:
  BSTR s_ = nullptr;
};

// An out BSTR passed by reference: the callee allocates, this frees.
class BstrOut {
 public:
  BstrOut() = default;
  ~BstrOut() { SysFreeString(s_); }
  BstrOut(const BstrOut&) = delete;
  BstrOut& operator=(const BstrOut&) = delete;
  void into(VARIANT& v) {
    VariantInit(&v);
    v.vt = VT_BYREF | VT_BSTR;
    v.pbstrVal = &s_;
  }
  // As CP932; what CP932 cannot hold becomes '?', as the system's ANSI conversion makes it.
  std::string text() const { return s_ == nullptr ? std::string() : WideToCp932(std::wstring_view(s_, SysStringLen(s_))); }
  // A record: the text up to its end (some servers hand out a BSTR longer than its text,
  // padded with NULs).
  std::string record() const {
    if (s_ == nullptr) return {};
    std::wstring_view w(s_, SysStringLen(s_));
    if (const size_t nul = w.find(L'\0'); nul != std::wstring_view::npos) w = w.substr(0, nul);
    return WideToCp932(w);
  }

 private:
  BSTR s_ = nullptr;
};

// `long` is 32 bits on Windows, as VT_I4 is; LONG says so.
void LongRef(VARIANT& v, LONG* target) {
  VariantInit(&v);
  v.vt = VT_BYREF | VT_I4;
  v.plVal = target;
}

void LongArg(VARIANT& v, LONG value) {
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
}

// Balances a CoInitializeEx that succeeded.
class ComApartment {
 public:
  ComApartment() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // S_FALSE: already initialised on this thread, still needs its own CoUninitialize.
    // RPC_E_CHANGED_MODE: another apartment model is in use; COM works, nothing to undo.
    owned_ = SUCCEEDED(hr);
  }
  ~ComApartment() {
    if (owned_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  // Hands the balancing duty to the caller.
  bool release() { return std::exchange(owned_, false); }

 private:
  bool owned_ = false;
};

// Creates the control; nullptr with `why` set when that is impossible.
IDispatch* CreateControl(std::string& why) {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
  if (FAILED(hr)) {
    why = Sj("JVDTLab.JVLinkが登録されていません（") + ResultText(hr) + Sj("）");
    return nullptr;
  }
  IDispatch* dispatch = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(&dispatch));
  if (FAILED(hr) || dispatch == nullptr) {
    why = Sj("JVDTLab.JVLinkを作れません（") + ResultText(hr) + Sj("）");
    // JV-Link is a 32-bit in-process server: a 64-bit program finds it registered but cannot load it.
    if (hr == REGDB_E_CLASSNOTREG && sizeof(void*) == 8) why += "; JV-Link needs a 32-bit build of this program";
    return nullptr;
  }
  return dispatch;
}

}  // namespace

bool ComJvLink::IsAvailable() {
  ComApartment apartment;
  std::string why;
  IDispatch* dispatch = CreateControl(why);
  if (dispatch == nullptr) return false;
  dispatch->Release();
  return true;
}

std::unique_ptr<ComJvLink> ComJvLink::Create(std::string& why) {
  ComApartment apartment;
  IDispatch* dispatch = CreateControl(why);
  if (dispatch == nullptr) return nullptr;
  return std::unique_ptr<ComJvLink>(new ComJvLink(dispatch, apartment.release()));
}

std::unique_ptr<ComJvLink> ComJvLink::Attach(IDispatch* dispatch) {
  dispatch->AddRef();
  return std::unique_ptr<ComJvLink>(new ComJvLink(dispatch, false));
}

ComJvLink::ComJvLink(IDispatch* dispatch, bool uninitialize) : dispatch_(dispatch), uninitialize_(uninitialize) {}

ComJvLink::~ComJvLink() {
  if (dispatch_ != nullptr) dispatch_->Release();
  if (uninitialize_) CoUninitialize();
}

bool ComJvLink::call(const wchar_t* name, unsigned short flags, VARIANT* args, unsigned count, VARIANT* result) {
  const std::wstring key(name);
  auto it = dispIds_.find(key);
  if (it == dispIds_.end()) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    const HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
      lastProblem_ = "JV-Link has no " + WideToCp932(name) + " (" + ResultText(hr) + ")";
      return false;
    }
    it = dispIds_.emplace(key, id).first;
  }
  // IDispatch takes the arguments last first.
  for (unsigned i = 0; i < count / 2; ++i) std::swap(args[i], args[count - 1 - i]);
  DISPPARAMS params{};
  params.rgvarg = args;
  params.cArgs = count;
  DISPID namedPut = DISPID_PROPERTYPUT;
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &namedPut;
    params.cNamedArgs = 1;
  }
  EXCEPINFO info{};
  UINT badArg = 0;
  const HRESULT hr = dispatch_->Invoke(it->second, IID_NULL, LOCALE_USER_DEFAULT, static_cast<WORD>(flags), &params,
                                       result, &info, &badArg);
  for (unsigned i = 0; i < count / 2; ++i) std::swap(args[i], args[count - 1 - i]);
  if (SUCCEEDED(hr)) return true;

  lastProblem_ = WideToCp932(name) + " failed (" + ResultText(hr) + ")";
  if (hr == DISP_E_EXCEPTION) {
    if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
    if (info.bstrDescription != nullptr && SysStringLen(info.bstrDescription) > 0)
      lastProblem_ += ": " + WideToCp932(std::wstring_view(info.bstrDescription, SysStringLen(info.bstrDescription)));
    else if (FAILED(info.scode))
      lastProblem_ += ": " + ResultText(info.scode);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
  } else if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && badArg < count) {
    // Counted from the last argument, as the arguments went.
    lastProblem_ += ": argument " + std::to_string(count - badArg);
  }
  return false;
}

int ComJvLink::callCode(const wchar_t* name, VARIANT* args, unsigned count) {
  VARIANT result;
  VariantInit(&result);
  if (!call(name, DISPATCH_METHOD, args, count, &result)) return kComFailure;
  int code = kComFailure;
  if (SUCCEEDED(VariantChangeType(&result, &result, 0, VT_I4))) code = static_cast<int>(result.lVal);
  else lastProblem_ = WideToCp932(name) + " returned no number";
  VariantClear(&result);
  return code;
}

void ComJvLink::setParentWindow(long long hwnd) {
  VARIANT v;
  // Window handles hold 32 significant bits, also in 64-bit processes.
  LongArg(v, static_cast<LONG>(hwnd));
  call(L"ParentHWnd", DISPATCH_PROPERTYPUT, &v, 1, nullptr);
}

int ComJvLink::JVInit(const std::string& sid) {
  BstrArg s(sid);
  if (!s.ok()) return kComFailure;
  VARIANT args[1];
  s.into(args[0]);
  return callCode(L"JVInit", args, 1);
}

int ComJvLink::JVSetUIProperties() { return callCode(L"JVSetUIProperties", nullptr, 0); }

int ComJvLink::JVOpen(const std::string& dataspec, const std::string& fromdate, int option, int& readcount,
                      int& downloadcount, std::string& lastfiletimestamp) {
  readcount = 0;
  downloadcount = 0;
  lastfiletimestamp.clear();
  BstrArg kind(dataspec), from(fromdate);
  if (!kind.ok() || !from.ok()) return kComFailure;
  LONG reads = 0, downloads = 0;
  BstrOut stamp;
  VARIANT args[6];
  kind.into(args[0]);
  from.into(args[1]);
  LongArg(args[2], option);
  LongRef(args[3], &reads);
  LongRef(args[4], &downloads);
  stamp.into(args[5]);
  const int code = callCode(L"JVOpen", args, 6);
  readcount = static_cast<int>(reads);
  downloadcount = static_cast<int>(downloads);
  lastfiletimestamp = stamp.text();
  return code;
}

int ComJvLink::JVRTOpen(const std::string& dataspec, const std::string& key) {
  BstrArg kind(dataspec), k(key);
  if (!kind.ok() || !k.ok()) return kComFailure;
  VARIANT args[2];
  kind.into(args[0]);
  k.into(args[1]);
  return callCode(L"JVRTOpen", args, 2);
}

int ComJvLink::JVStatus() { return callCode(L"JVStatus", nullptr, 0); }

int ComJvLink::JVRead(std::string& buff, int& size, std::string& filename) {
  BstrOut data, name;
  LONG n = size;
  VARIANT args[3];
  data.into(args[0]);
  LongRef(args[1], &n);
  name.into(args[2]);
  const int code = callCode(L"JVRead", args, 3);
  filename = name.text();
  if (code <= 0) {
    buff.clear();
    return code;
  }
  buff = data.record();
  // Callers count in Shift-JIS bytes, the text they cut fields from.
  size = static_cast<int>(buff.size());
  return size;
}

void ComJvLink::JVCancel() {
  VARIANT result;
  VariantInit(&result);
  call(L"JVCancel", DISPATCH_METHOD, nullptr, 0, &result);
  VariantClear(&result);
}

int ComJvLink::JVClose() { return callCode(L"JVClose", nullptr, 0); }

int ComJvLink::JVMVCheck(const std::string& key) {
  BstrArg k(key);
  if (!k.ok()) return kComFailure;
  VARIANT args[1];
  k.into(args[0]);
  return callCode(L"JVMVCheck", args, 1);
}

int ComJvLink::JVMVPlay(const std::string& key) {
  BstrArg k(key);
  if (!k.ok()) return kComFailure;
  VARIANT args[1];
  k.into(args[0]);
  return callCode(L"JVMVPlay", args, 1);
}

std::string ComJvLink::version() {
  VARIANT result;
  VariantInit(&result);
  if (!call(L"m_JVLinkVersion", DISPATCH_PROPERTYGET, nullptr, 0, &result)) return {};
  std::string text;
  if (SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BSTR)) && result.bstrVal != nullptr)
    text = WideToCp932(std::wstring_view(result.bstrVal, SysStringLen(result.bstrVal)));
  VariantClear(&result);
  return text;
}

}  // namespace zelkova

#endif  // _WIN32
