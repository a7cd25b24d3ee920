#include "gui/japanese_ui.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

namespace zelkova::gui {

namespace {

// Texts of the file dialogs that Qt's Japanese catalog leaves out (the kinds in the file list).
class MissingJapanese : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char*, int) const override {
    if (std::strcmp(context, "QAbstractFileIconProvider") != 0) return {};
    if (std::strcmp(source, "Folder") == 0) return QString::fromUtf8("フォルダー");
    if (std::strcmp(source, "Drive") == 0) return QString::fromUtf8("ドライブ");
    if (std::strcmp(source, "Unknown") == 0) return QString::fromUtf8("不明");
    return {};
  }
};

}  // namespace

bool UseJapaneseTranslations(QCoreApplication& app) {
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  QLocale::setDefault(japanese);
  const QString dirs[] = {QCoreApplication::applicationDirPath() + "/translations",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
  for (const QString& dir : dirs) {
    auto* t = new QTranslator(&app);
    if (t->load(japanese, "qtbase", "_", dir)) {
      QCoreApplication::installTranslator(t);
      QCoreApplication::installTranslator(new MissingJapanese(&app));
      return true;
    }
    delete t;
  }
  return false;
}

}  // namespace zelkova::gui
