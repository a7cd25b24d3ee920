// Japanese text of a JV-Link result: JvMessage("JVOpen", -1) and so on.
// Returns CP932 bytes: the table text for that operation and code (empty when not listed)
// followed by "(" + code + ")".
#pragma once

#include <string>
#include <string_view>

namespace zelkova {

std::string JvMessage(std::string_view operation, int code);

}  // namespace zelkova
