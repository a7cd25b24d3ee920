#ifdef _WIN32

#include "jvlink/win/com_jv_link.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <utility>

namespace zelkova {
namespace {

constexpr const wchar_t* kProgId = L"JVDTLab.JVLink";
// JV-Link's "internal error": what a caller sees when the call could not be made at all.
constexpr int kComFailure = -401;
// Text crosses the interface as wide strings; this side holds Shift-JIS (the ANSI code page
// JV-Data positions are counted in), so the conversion is fixed to code page 932.
constexpr UINT kCp932 = 932;

std::wstring Widen(const std::string& cp932) {
  if (cp932.empty()) return {};
  const int n = MultiByteToWideChar(kCp932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kCp932, 0, cp932.data(), static_cast<int>(cp932.size()), out.data(), n);
  return out;
}

// Characters Shift-JIS cannot hold become '?', as the system conversion does.
std::string Narrow(const wchar_t* wide, size_t len) {
  if (wide == nullptr || len == 0) return {};
  const int n = WideCharToMultiByte(kCp932, 0, wide, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCp932, 0, wide, static_cast<int>(len), out.data(), n, nullptr, nullptr);
  return out;
}

std::string Narrow(BSTR s) { return s == nullptr ? std::string() : Narrow(s, SysStringLen(s)); }

std::string Ascii(const wchar_t* s) {
  std::string out;
  for (; s != nullptr && *s != L'\0'; ++s) out.push_back(*s < 0x80 ? static_cast<char>(*s) : '?');
  return out;
}

std::string HexResult(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08lX", static_cast<unsigned long>(hr));
  return buf;
}

// An owned BSTR passed by value.
class BstrArg {
 public:
  explicit BstrArg(const std::string& cp932) {
    const std::wstring w = Widen(cp932);
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

// An out BSTR: JV-Link allocates, this frees.
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
  BSTR get() const { return s_; }

 private:
  BSTR s_ = nullptr;
};

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

}  // namespace

bool ComJvLink::IsRegistered() {
  ComApartment apartment;
  CLSID clsid;
  return SUCCEEDED(CLSIDFromProgID(kProgId, &clsid));
}

std::unique_ptr<ComJvLink> ComJvLink::Create(std::string& why) {
  ComApartment apartment;
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
  if (FAILED(hr)) {
    why = "JVDTLab.JVLink is not registered (" + HexResult(hr) + ")";
    return nullptr;
  }
  IDispatch* dispatch = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                        reinterpret_cast<void**>(&dispatch));
  if (FAILED(hr) || dispatch == nullptr) {
    // REGDB_E_CLASSNOTREG here usually means a 64-bit program and the 32-bit control.
    why = "cannot create JVDTLab.JVLink (" + HexResult(hr) + ")";
    return nullptr;
  }
  return std::unique_ptr<ComJvLink>(new ComJvLink(dispatch, apartment.release()));
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
      lastProblem_ = "JV-Link has no " + Ascii(name) + " (" + HexResult(hr) + ")";
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
  if (FAILED(hr)) {
    lastProblem_ = Ascii(name) + " failed (" + HexResult(hr) + ")";
    if (hr == DISP_E_EXCEPTION) {
      if (info.bstrDescription != nullptr) lastProblem_ += ": " + Narrow(info.bstrDescription);
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return false;
  }
  return true;
}

int ComJvLink::callCode(const wchar_t* name, VARIANT* args, unsigned count) {
  VARIANT result;
  VariantInit(&result);
  if (!call(name, DISPATCH_METHOD, args, count, &result)) return kComFailure;
  int code = kComFailure;
  if (SUCCEEDED(VariantChangeType(&result, &result, 0, VT_I4))) code = static_cast<int>(result.lVal);
  else lastProblem_ = Ascii(name) + " returned no number";
  VariantClear(&result);
  return code;
}

void ComJvLink::setParentWindow(long long hwnd) {
  VARIANT v;
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
  lastfiletimestamp = Narrow(stamp.get());
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
  filename = Narrow(name.get());
  if (code <= 0) {
    buff.clear();
    return code;
  }
  buff = Narrow(data.get());
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
  if (SUCCEEDED(VariantChangeType(&result, &result, 0, VT_BSTR))) text = Narrow(result.bstrVal);
  VariantClear(&result);
  return text;
}

}  // namespace zelkova

#endif  // _WIN32
