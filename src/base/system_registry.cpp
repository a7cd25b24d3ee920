#include "base/system_registry.h"

#ifdef _WIN32
#include <windows.h>

#include "base/cp932.h"
#endif

namespace zelkova {

#ifdef _WIN32

namespace {

class WindowsRegistry : public Registry {
 public:
  std::string readLocalMachineString(const std::string& key, const std::string& value) override {
    // 32-bit installers (Inno Setup's usual kind) write to the 32-bit view of a 64-bit Windows;
    // that view is read first, as the 32-bit program this follows read it.
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      std::wstring text;
      if (read(Cp932ToWide(key), Cp932ToWide(value), view, text)) return WideToCp932(text);
    }
    return {};
  }

 private:
  static bool read(const std::wstring& key, const std::wstring& value, REGSAM view, std::wstring& text) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | view, &h) != ERROR_SUCCESS) return false;
    DWORD type = 0, bytes = 0;
    LSTATUS rc = RegQueryValueExW(h, value.c_str(), nullptr, &type, nullptr, &bytes);
    if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
      // The stored text need not end with a NUL; room for one is added.
      std::wstring buf(bytes / sizeof(wchar_t) + 1, L'\0');
      DWORD size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
      rc = RegQueryValueExW(h, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size);
      if (rc == ERROR_SUCCESS) {
        buf.resize(size / sizeof(wchar_t));
        while (!buf.empty() && buf.back() == L'\0') buf.pop_back();
        text = buf;
      }
    }
    RegCloseKey(h);
    return rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ);
  }
};

}  // namespace

std::unique_ptr<Registry> SystemRegistry() { return std::make_unique<WindowsRegistry>(); }

#else

std::unique_ptr<Registry> SystemRegistry() { return std::make_unique<NoRegistry>(); }

#endif

}  // namespace zelkova
