#include "gui/help_pages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeySequence>
#include <QShortcut>
#include <QUrl>
#include <QWidget>

#include "base/file_io.h"

namespace zelkova::gui {

QString HelpPagePath(const std::filesystem::path& programFolder, const QString& name) {
  const QString file = "help/" + name + ".html";
  QStringList places{QCoreApplication::applicationDirPath()};
  if (!programFolder.empty()) places << QString::fromStdString(PathToUtf8(programFolder));
  for (const QString& dir : places) {
    const QFileInfo f(dir + "/" + file);
    if (f.isFile()) return f.absoluteFilePath();
  }
  return {};
}

void InstallHelpKey(QWidget* window, const QString& name) {
  auto* key = new QShortcut(QKeySequence::HelpContents, window);
  key->setContext(Qt::WindowShortcut);
  QObject::connect(key, &QShortcut::activated, window, [name] {
    const QString path = HelpPagePath({}, name);
    if (!path.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  });
}

}  // namespace zelkova::gui
