// The help pages (help/*.html, written from the README by the build) and the F1 key that opens
// a window's page.
#pragma once

#include <QString>
#include <filesystem>

class QWidget;

namespace zelkova::gui {

// The full path of help page `name`.html: in help/ beside the program, else in help/ under
// `programFolder`; empty when neither holds it.
QString HelpPagePath(const std::filesystem::path& programFolder, const QString& name);

// F1 in `window` opens its help page `name` in the browser.
void InstallHelpKey(QWidget* window, const QString& name);

}  // namespace zelkova::gui
