// Qt implementations of the platform layers, and the CP932 <-> QString edge.
#pragma once

#include <QString>
#include <string>

#include "base/platform.h"

class QWidget;
class QStatusBar;

namespace zelkova::gui {

// CP932 bytes -> QString (bytes that are not CP932 show as U+FFFD).
QString Q(const std::string& cp932);
// UTF-8 source literal -> QString.
inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }
// QString -> CP932 bytes; characters CP932 cannot hold become '?'.
std::string Sj(const QString& text);

// Before the QApplication of a run that draws without a window: Qt's offscreen platform (unless
// QT_QPA_PLATFORM names another), and on Windows, where that platform reads its fonts from one
// folder only, the system's font folder (unless QT_QPA_FONTDIR names another).
void UseOffscreenPlatform();

class QtPrompts : public Prompts {
 public:
  explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  void setStatusBar(QStatusBar* bar) { bar_ = bar; }
  // Unattended runs (screenshots): messages go to stderr instead of a modal box.
  void setQuiet(bool quiet) { quiet_ = quiet; }

  void beep() override;
  void information(const std::string& text) override;
  bool confirm(const std::string& text) override;
  void statusText(const std::string& text) override;
  void processEvents() override;
  void busyCursor(bool on) override;

 private:
  QWidget* parent_;
  QStatusBar* bar_ = nullptr;
  bool quiet_ = false;
  int busy_ = 0;
};

class QtClipboard : public Clipboard {
 public:
  void setText(const std::string& text) override;
};

class QtShellOpen : public ShellOpen {
 public:
  bool open(const std::string& path_utf8) override;
};

class QtFolderChooser : public FolderChooser {
 public:
  explicit QtFolderChooser(QWidget* parent = nullptr) : parent_(parent) {}
  bool choose(const std::string& caption, const std::string& initial_utf8, std::string& chosen_utf8) override;

 private:
  QWidget* parent_;
};

}  // namespace zelkova::gui
