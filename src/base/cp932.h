// The one place where text changes encoding. Core text is CP932 (Windows Shift-JIS) bytes;
// UTF-8 exists only at the GUI edge, in file-system names and in source literals.
#pragma once

#include <string>
#include <string_view>

#include "base/status.h"

namespace zelkova {

// True iff every byte sequence of `bytes` is a valid CP932 character.
bool IsValidCp932(std::string_view bytes);

// The first `n` bytes of `s`, one byte less when byte n would split a double-byte character.
std::string_view Cp932Prefix(std::string_view s, size_t n);

// CP932 -> UTF-8. Fails with Corruption (naming the byte offset) on bytes that are not CP932.
Result<std::string> Cp932ToUtf8(std::string_view cp932);
// CP932 -> UTF-8 for display: invalid bytes become U+FFFD, never fails.
std::string Cp932ToUtf8Lossy(std::string_view cp932);

// UTF-8 -> CP932. Fails with InvalidArgument on characters that CP932 cannot hold.
Result<std::string> Utf8ToCp932(std::string_view utf8);
// UTF-8 -> CP932 for messages: what CP932 cannot hold (or is not UTF-8) becomes '?'.
std::string Utf8ToCp932Lossy(std::string_view utf8);

#ifdef _WIN32
// UTF-16, the Windows API's text, <-> CP932 through the system's code page 932 tables.
// CP932 cannot hold every character: those become '?', as the system's own conversion makes them.
std::string WideToCp932(std::wstring_view wide);
// Bytes that are not CP932 become U+FFFD.
std::wstring Cp932ToWide(std::string_view cp932);
// UTF-16 <-> UTF-8 (command lines, file names). Invalid sequences become U+FFFD.
std::string WideToUtf8(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
#endif

// UTF-8 source literal -> CP932 bytes. For texts written in this program's sources, which are
// all representable; aborts on a literal that is not (a programming error).
std::string Sj(std::string_view utf8_literal);

}  // namespace zelkova
