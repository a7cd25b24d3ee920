// The program folder: the executable's folder, or the one given with --home.
#pragma once

#include <filesystem>
#include <string>

namespace zelkova {

// The folder of the running executable (as the system names it, or from argv0 as a fallback).
std::filesystem::path ExecutableFolder(const char* argv0);
// The running executable's file name without its extension (UTF-8), e.g. "zelkova-cli".
std::string ExecutableName();

}  // namespace zelkova
