#include "base/cp932_convert.h"

#include <windows.h>

#include "base/cp932.h"

namespace zelkova {
namespace {

constexpr UINT kCp932 = 932;

// UTF-16 from `in` in code page `cp`; false on bytes that are not valid there.
bool ToWide(UINT cp, std::string_view in, std::wstring& out) {
  out.clear();
  if (in.empty()) return true;
  const int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  return MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()), out.data(), n) == n;
}

// `in` as CP932; false when a character has no CP932 form (no "best fit" look-alikes either:
// they would not convert back to the same text).
bool WideToCp932Strict(std::wstring_view in, std::string& out) {
  out.clear();
  if (in.empty()) return true;
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, in.data(), static_cast<int>(in.size()), nullptr, 0,
                                    nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, in.data(), static_cast<int>(in.size()), out.data(), n, nullptr,
                      &usedDefault);
  return !usedDefault;
}

}  // namespace

namespace detail {

// The Windows API tells only that a conversion failed, not where: the failing place is then
// found character by character, which costs nothing in the usual case.

bool SystemCp932ToUtf8(std::string_view in, std::string& out, size_t& bad) {
  std::wstring wide;
  if (ToWide(kCp932, in, wide)) {
    out = WideToUtf8(wide);
    return true;
  }
  out.clear();
  for (size_t i = 0; i < in.size();) {
    const bool lead = IsDBCSLeadByteEx(kCp932, static_cast<BYTE>(in[i]));
    const size_t len = lead ? 2 : 1;
    if (i + len > in.size() || !ToWide(kCp932, in.substr(i, len), wide)) {
      bad = i;
      return false;
    }
    i += len;
  }
  bad = 0;
  return false;
}

bool SystemUtf8ToCp932(std::string_view in, std::string& out, size_t& bad) {
  std::wstring wide;
  if (ToWide(CP_UTF8, in, wide) && WideToCp932Strict(wide, out)) return true;
  out.clear();
  std::string one;
  for (size_t i = 0; i < in.size();) {
    const size_t len = Utf8Length(static_cast<unsigned char>(in[i]));
    if (len == 0 || i + len > in.size() || !ToWide(CP_UTF8, in.substr(i, len), wide) || !WideToCp932Strict(wide, one)) {
      bad = i;
      return false;
    }
    i += len;
  }
  bad = 0;
  return false;
}

}  // namespace detail

std::string WideToCp932(std::wstring_view wide) {
  if (wide.empty()) return {};
  // As the system converts to its ANSI code page: what CP932 cannot hold becomes '?'.
  const int n = WideCharToMultiByte(kCp932, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string(wide.size(), '?');
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCp932, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string WideToUtf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::wstring Cp932ToWide(std::string_view cp932) {
  if (cp932.empty()) return {};
  std::wstring out;
  if (ToWide(kCp932, cp932, out)) return out;
  // Bytes that start no character become U+FFFD, one per byte, as in Cp932ToUtf8Lossy.
  return Utf8ToWide(Cp932ToUtf8Lossy(cp932));
}

}  // namespace zelkova
