// The standard dialogs (file, folder, print, message box buttons) in Japanese like the rest of
// the program, whatever the system's language.
#pragma once

class QCoreApplication;

namespace zelkova::gui {

// Makes Japanese the default locale and installs Qt's own Japanese translations, looked for
// beside the program (translations/, as a Windows installation ships them) and in Qt's
// translations folder. False when no translation file was found (the dialogs stay English).
bool UseJapaneseTranslations(QCoreApplication& app);

}  // namespace zelkova::gui
