// The command line and the console of the command-line programs, as UTF-8 on every system.
#pragma once

#include <string>
#include <vector>

namespace zelkova {

// The arguments after the program name, as UTF-8. On Windows they are taken from the wide
// command line: the narrow argv there holds only what the ANSI code page can, and in it.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Standard output and error carry the programs' bytes unchanged, on every system: on Windows
// they are switched to binary (no LF -> CR LF, so piped output matches) and the console is told
// to show UTF-8 (it otherwise takes the OEM code page).
void SetUpConsoleOutput();

// Waits about 10 ms. On Windows the thread's window messages are handled meanwhile: a COM
// control in this thread's apartment (JV-Link) needs them to get on with its work.
void WaitBriefly();

// Whether standard error goes to a terminal (where progress bars may be drawn).
bool StderrIsTerminal();

}  // namespace zelkova
