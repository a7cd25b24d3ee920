// The one place where text changes encoding. Core text is CP932 (Windows Shift-JIS) bytes;
// UTF-8 exists only at the GUI edge, in file-system names and in source literals.
#pragma once

#include <string>
#include <string_view>

#include "base/status.h"

namespace zelkova {

// True iff every byte sequence of `bytes` is a valid CP932 character.
bool IsValidCp932(std::string_view bytes);

// CP932 -> UTF-8. Fails with Corruption (naming the byte offset) on bytes that are not CP932.
Result<std::string> Cp932ToUtf8(std::string_view cp932);
// CP932 -> UTF-8 for display: invalid bytes become U+FFFD, never fails.
std::string Cp932ToUtf8Lossy(std::string_view cp932);

// UTF-8 -> CP932. Fails with InvalidArgument on characters that CP932 cannot hold.
Result<std::string> Utf8ToCp932(std::string_view utf8);

// UTF-8 source literal -> CP932 bytes. For texts written in this program's sources, which are
// all representable; aborts on a literal that is not (a programming error).
std::string Sj(std::string_view utf8_literal);

}  // namespace zelkova
