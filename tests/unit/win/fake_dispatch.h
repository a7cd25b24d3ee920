// A stand-in for the JV-Link control: an IDispatch that knows JV-Link's names, records every
// call with its arguments as they arrive, and answers from a script.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <map>
#include <string>
#include <vector>

namespace zelkova::testing {

class FakeJvLinkDispatch : public IDispatch {
 public:
  // One argument as it arrived, in call order: its type and its value as text.
  struct Arg {
    VARTYPE vt;
    std::wstring value;
  };
  struct Call {
    std::wstring name;
    WORD flags;
    std::vector<Arg> args;
    bool namedPut;  // a property put with DISPID_PROPERTYPUT as its named argument
  };
  // What JVRead hands out, in order: a record (with its file name) or a bare result code.
  struct Read {
    int code;
    std::wstring record, file;
  };

  std::vector<Call> calls;
  std::map<std::wstring, int> lookups;          // GetIDsOfNames calls per name
  std::map<std::wstring, HRESULT> failures;     // Invoke of that name fails so
  std::map<std::wstring, int> results;          // result code per method (default 0)
  std::wstring failureText;                     // description of a DISP_E_EXCEPTION
  std::wstring version = L"0490";
  LONG readCount = 0, downloadCount = 0;
  std::wstring lastFileTimestamp;
  std::vector<Read> reads;
  std::vector<std::wstring> unknownNames;       // GetIDsOfNames fails for these
  ULONG refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // lives on the test's stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1) return E_INVALIDARG;
    const std::wstring name = names[0];
    ++lookups[name];
    for (const auto& u : unknownNames)
      if (u == name) {
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
      }
    for (size_t i = 0; i < kNames.size(); ++i)
      if (kNames[i] == name) {
        ids[0] = static_cast<DISPID>(i + 1);
        return S_OK;
      }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result,
                                   EXCEPINFO* info, UINT*) override {
    if (id < 1 || static_cast<size_t>(id) > kNames.size()) return DISP_E_MEMBERNOTFOUND;
    Call call{kNames[static_cast<size_t>(id - 1)], flags, {}, false};
    call.namedPut = p->cNamedArgs == 1 && p->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    // rgvarg holds the arguments last first.
    for (UINT i = p->cArgs; i-- > 0;) call.args.push_back(Describe(p->rgvarg[i]));
    calls.push_back(call);
    const std::wstring& name = call.name;
    if (auto f = failures.find(name); f != failures.end()) {
      if (f->second == DISP_E_EXCEPTION && info != nullptr) {
        info->bstrSource = SysAllocString(L"JVDTLab.JVLink");
        info->bstrDescription = SysAllocString(failureText.c_str());
        info->scode = E_FAIL;
      }
      return f->second;
    }
    auto arg = [&](UINT fromFirst) -> VARIANT& { return p->rgvarg[p->cArgs - 1 - fromFirst]; };
    LONG code = results.count(name) ? results[name] : 0;
    if (name == L"JVOpen" && p->cArgs == 6) {
      *arg(3).plVal = readCount;
      *arg(4).plVal = downloadCount;
      *arg(5).pbstrVal = SysAllocString(lastFileTimestamp.c_str());
    } else if (name == L"JVRead" && p->cArgs == 3) {
      if (readAt_ >= reads.size()) {
        code = 0;
      } else {
        const Read& r = reads[readAt_++];
        code = r.code;
        if (r.code > 0) {
          *arg(0).pbstrVal = SysAllocStringLen(r.record.data(), static_cast<UINT>(r.record.size()));
          *arg(1).plVal = static_cast<LONG>(r.record.size());
          *arg(2).pbstrVal = SysAllocString(r.file.c_str());
        }
      }
    } else if (name == L"m_JVLinkVersion") {
      if (result != nullptr) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(version.c_str());
      }
      return S_OK;
    }
    if (result != nullptr && (flags & DISPATCH_METHOD)) {
      result->vt = VT_I4;
      result->lVal = code;
    }
    return S_OK;
  }

  // The calls of one name, in order.
  std::vector<Call> callsOf(const std::wstring& name) const {
    std::vector<Call> out;
    for (const auto& c : calls)
      if (c.name == name) out.push_back(c);
    return out;
  }

 private:
  static Arg Describe(const VARIANT& v) {
    Arg a{v.vt, {}};
    switch (v.vt) {
      case VT_BSTR: a.value = v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"(null)"; break;
      case VT_I4: a.value = std::to_wstring(v.lVal); break;
      case VT_BYREF | VT_I4: a.value = std::to_wstring(*v.plVal); break;
      case VT_BYREF | VT_BSTR: a.value = *v.pbstrVal ? L"(set)" : L"(empty)"; break;
      default: a.value = L"?"; break;
    }
    return a;
  }

  inline static const std::vector<std::wstring> kNames = {
      L"JVInit",  L"JVSetUIProperties", L"JVOpen",   L"JVRTOpen",        L"JVStatus",  L"JVRead",
      L"JVCancel", L"JVClose",          L"JVMVCheck", L"JVMVPlay",       L"m_JVLinkVersion", L"ParentHWnd"};
  size_t readAt_ = 0;
};

}  // namespace zelkova::testing
