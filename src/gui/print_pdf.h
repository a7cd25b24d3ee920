// zelkova --home DIR --date yyyymmdd --print-pdf FILE: the analysis print of a stored date
// written as a PDF, without a window, a printer or a display.
#pragma once

namespace zelkova::gui {

// True when the command line asks for it.
bool WantsPrintPdf(int argc, char** argv);
// Runs it; the process exit status (0 written, 1 failed, 2 bad arguments).
int PrintPdfMain(int argc, char** argv);

}  // namespace zelkova::gui
