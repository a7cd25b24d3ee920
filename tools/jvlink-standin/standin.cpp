// jvlink-standin: an in-process COM server registered under JV-Link's ProgID and class id that
// serves a recorded feed folder through IDispatch, with the method names, argument types and
// result codes the program's COM backend uses. A test tool for Wine and for machines without
// JV-Link; it is not JV-Link and is never shipped.
//
//   regsvr32 jvlink-standin.dll        registers it (regsvr32 /u removes it again)
//   ZELKOVA_STANDIN_FEED=DIR           the feed folder it serves (required by JVOpen and the rest)
//   ZELKOVA_STANDIN_CACHE=DIR          where it keeps the index of files "downloaded" (default: memory)
//   ZELKOVA_STANDIN_CLOCK=yyyy-mm-dd hh:mm
//                                      the time real-time streams are served at (default: now)
//   ZELKOVA_STANDIN_LOG=FILE           appends one line per call: name, arguments in, result
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/file_io.h"
#include "base/replay_clock.h"
#include "jvlink/recorded_jv_link.h"

namespace {

using zelkova::Cp932ToWide;
using zelkova::WideToCp932;
using zelkova::WideToUtf8;

// JV-Link's class and its dispatch interface.
constexpr CLSID kClsid = {0x2AB1774D, 0x0C41, 0x11D7, {0x91, 0x6F, 0x00, 0x03, 0x47, 0x9B, 0xEB, 0x3F}};
constexpr IID kIJVLink = {0x2AB1774C, 0x0C41, 0x11D7, {0x91, 0x6F, 0x00, 0x03, 0x47, 0x9B, 0xEB, 0x3F}};
constexpr const wchar_t* kClsidText = L"{2AB1774D-0C41-11D7-916F-0003479BEB3F}";
constexpr const wchar_t* kProgId = L"JVDTLab.JVLink";

HINSTANCE g_module = nullptr;
std::atomic<long> g_live{0};  // objects and server locks: the DLL stays while any is held

std::wstring Env(const wchar_t* name) {
  wchar_t buf[4096];
  const DWORD n = GetEnvironmentVariableW(name, buf, static_cast<DWORD>(std::size(buf)));
  return n > 0 && n < std::size(buf) ? std::wstring(buf, n) : std::wstring();
}

std::filesystem::path EnvPath(const wchar_t* name) { return std::filesystem::path(Env(name)); }

// The moment the feed is served at: fixed when ZELKOVA_STANDIN_CLOCK says so.
class StandInClock : public zelkova::Clock {
 public:
  StandInClock() : fixed_(zelkova::ParseClockText(WideToUtf8(Env(L"ZELKOVA_STANDIN_CLOCK")))) {}
  zelkova::LocalTime now() const override { return fixed_ ? *fixed_ : system_.now(); }

 private:
  std::optional<zelkova::LocalTime> fixed_;
  zelkova::SystemClock system_;
};

void Log(const std::string& line) {
  const std::wstring file = Env(L"ZELKOVA_STANDIN_LOG");
  if (file.empty()) return;
  if (FILE* f = _wfopen(file.c_str(), L"ab")) {
    std::fputs((line + "\n").c_str(), f);
    std::fclose(f);
  }
}

// An argument as the caller passed it: by value or by reference.
VARIANT* Deref(VARIANT* v) {
  while (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal != nullptr) v = v->pvarVal;
  return v;
}

bool TextIn(VARIANT* v, std::string& out) {
  v = Deref(v);
  BSTR s = nullptr;
  if (v->vt == VT_BSTR) s = v->bstrVal;
  else if (v->vt == (VT_BYREF | VT_BSTR)) s = *v->pbstrVal;
  else return false;
  out = s == nullptr ? std::string() : WideToCp932(std::wstring_view(s, SysStringLen(s)));
  return true;
}

bool IntIn(VARIANT* v, long& out) {
  v = Deref(v);
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantChangeType(&copy, v, 0, VT_I4))) return false;
  out = copy.lVal;
  return true;
}

bool TextOut(VARIANT* v, const std::string& cp932) {
  v = Deref(v);
  if (v->vt != (VT_BYREF | VT_BSTR)) return false;
  const std::wstring w = Cp932ToWide(cp932);
  SysFreeString(*v->pbstrVal);
  *v->pbstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
  return true;
}

bool IntOut(VARIANT* v, long n) {
  v = Deref(v);
  if (v->vt != (VT_BYREF | VT_I4)) return false;
  *v->plVal = n;
  return true;
}

class StandInJvLink : public IDispatch {
 public:
  StandInJvLink() : link_(EnvPath(L"ZELKOVA_STANDIN_FEED"), EnvPath(L"ZELKOVA_STANDIN_CACHE"), clock_) { ++g_live; }
  virtual ~StandInJvLink() { --g_live; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIJVLink) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (size_t k = 0; k < std::size(kNames); ++k)
        if (i == 0 && _wcsicmp(names[i], kNames[k]) == 0) ids[i] = static_cast<DISPID>(k + 1);
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO*,
                                   UINT* badArg) override {
    if (id < 1 || static_cast<size_t>(id) > std::size(kNames)) return DISP_E_MEMBERNOTFOUND;
    const std::wstring name = kNames[id - 1];
    const UINT n = p == nullptr ? 0 : p->cArgs;
    // rgvarg holds the arguments last first.
    auto arg = [&](UINT fromFirst) { return &p->rgvarg[n - 1 - fromFirst]; };
    auto bad = [&](UINT fromFirst) {
      if (badArg != nullptr) *badArg = n - 1 - fromFirst;
      return DISP_E_TYPEMISMATCH;
    };
    auto want = [&](UINT count) { return n == count; };
    std::string text[2];
    long number = 0;
    long code = 0;
    std::string logged;

    if (name == L"m_JVLinkVersion") {
      if (!(flags & DISPATCH_PROPERTYGET) || !want(0)) return DISP_E_MEMBERNOTFOUND;
      const std::wstring v = Cp932ToWide(link_.version());
      if (result != nullptr) {
        VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(v.data(), static_cast<UINT>(v.size()));
      }
      Log("m_JVLinkVersion -> " + link_.version());
      return S_OK;
    }
    if (name == L"ParentHWnd") {
      // JV-Link's dialogs would be owned by that window; there are none here.
      if (flags & DISPATCH_PROPERTYPUT) return want(1) ? S_OK : DISP_E_BADPARAMCOUNT;
      if (result != nullptr) {
        VariantInit(result);
        result->vt = VT_I4;
        result->lVal = 0;
      }
      return S_OK;
    }
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;

    if (name == L"JVInit") {
      if (!want(1)) return DISP_E_BADPARAMCOUNT;
      if (!TextIn(arg(0), text[0])) return bad(0);
      code = link_.JVInit(text[0]);
      logged = " " + text[0];
    } else if (name == L"JVSetUIProperties") {
      if (!want(0)) return DISP_E_BADPARAMCOUNT;
      code = link_.JVSetUIProperties();
    } else if (name == L"JVOpen") {
      if (!want(6)) return DISP_E_BADPARAMCOUNT;
      if (!TextIn(arg(0), text[0])) return bad(0);
      if (!TextIn(arg(1), text[1])) return bad(1);
      if (!IntIn(arg(2), number)) return bad(2);
      int reads = 0, downloads = 0;
      std::string last;
      code = link_.JVOpen(text[0], text[1], static_cast<int>(number), reads, downloads, last);
      if (!IntOut(arg(3), reads)) return bad(3);
      if (!IntOut(arg(4), downloads)) return bad(4);
      if (!TextOut(arg(5), last)) return bad(5);
      logged = " " + text[0] + " " + text[1] + " " + std::to_string(number) + " (" + std::to_string(reads) + " " +
               std::to_string(downloads) + " " + last + ")";
    } else if (name == L"JVRTOpen") {
      if (!want(2)) return DISP_E_BADPARAMCOUNT;
      if (!TextIn(arg(0), text[0])) return bad(0);
      if (!TextIn(arg(1), text[1])) return bad(1);
      code = link_.JVRTOpen(text[0], text[1]);
      logged = " " + text[0] + " " + text[1];
    } else if (name == L"JVStatus") {
      if (!want(0)) return DISP_E_BADPARAMCOUNT;
      code = link_.JVStatus();
    } else if (name == L"JVRead") {
      if (!want(3)) return DISP_E_BADPARAMCOUNT;
      if (!IntIn(arg(1), number)) return bad(1);
      std::string buff, file;
      int size = static_cast<int>(number);
      code = link_.JVRead(buff, size, file);
      if (!TextOut(arg(0), code > 0 ? buff : std::string())) return bad(0);
      if (!IntOut(arg(1), code > 0 ? size : number)) return bad(1);
      if (!TextOut(arg(2), file)) return bad(2);
      ++reads_;
    } else if (name == L"JVCancel") {
      if (!want(0)) return DISP_E_BADPARAMCOUNT;
      link_.JVCancel();
      Log("JVCancel");
      if (result != nullptr) VariantInit(result);
      return S_OK;
    } else if (name == L"JVClose") {
      if (!want(0)) return DISP_E_BADPARAMCOUNT;
      code = link_.JVClose();
      logged = " (" + std::to_string(reads_) + " reads)";
      reads_ = 0;
    } else if (name == L"JVMVCheck" || name == L"JVMVPlay") {
      if (!want(1)) return DISP_E_BADPARAMCOUNT;
      if (!TextIn(arg(0), text[0])) return bad(0);
      code = name == L"JVMVCheck" ? link_.JVMVCheck(text[0]) : link_.JVMVPlay(text[0]);
      logged = " " + text[0];
    }
    // JVRead is logged once per cycle, at JVClose: one line per record would swamp the log.
    if (name != L"JVRead") Log(WideToCp932(name) + logged + " -> " + std::to_string(code));
    if (result != nullptr) {
      VariantInit(result);
      result->vt = VT_I4;
      result->lVal = code;
    }
    return S_OK;
  }

 private:
  static constexpr const wchar_t* kNames[] = {L"JVInit",   L"JVSetUIProperties", L"JVOpen",   L"JVRTOpen",
                                              L"JVStatus", L"JVRead",            L"JVCancel", L"JVClose",
                                              L"JVMVCheck", L"JVMVPlay",         L"m_JVLinkVersion",
                                              L"ParentHWnd"};
  std::atomic<ULONG> refs_{1};
  StandInClock clock_;
  zelkova::RecordedJvLink link_;
  long reads_ = 0;
};

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // One factory for the life of the DLL.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    StandInJvLink* object = nullptr;
    try {
      object = new StandInJvLink;
    } catch (...) {  // nothing may cross the COM boundary as an exception
      return E_OUTOFMEMORY;
    }
    const HRESULT hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) ++g_live;
    else --g_live;
    return S_OK;
  }
};

Factory g_factory;

LONG SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY k = nullptr;
  LONG r = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
  if (r != ERROR_SUCCESS) return r;
  r = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
  return r;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = module;
    DisableThreadLibraryCalls(module);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (clsid != kClsid) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, out);
}

STDAPI DllCanUnloadNow() { return g_live == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return SELFREG_E_CLASS;
  const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
  for (LONG r : {SetValue(HKEY_CLASSES_ROOT, kProgId, nullptr, L"JV-Link stand-in (test tool)"),
                 SetValue(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID", nullptr, kClsidText),
                 SetValue(HKEY_CLASSES_ROOT, clsidKey, nullptr, L"JV-Link stand-in (test tool)"),
                 SetValue(HKEY_CLASSES_ROOT, clsidKey + L"\\ProgID", nullptr, kProgId),
                 SetValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr, std::wstring(path, n)),
                 SetValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment")})
    if (r != ERROR_SUCCESS) return SELFREG_E_CLASS;
  return S_OK;
}

STDAPI DllUnregisterServer() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsidText).c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
  return S_OK;
}

}  // extern "C"
