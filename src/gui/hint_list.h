// A list box that says what to do while it is empty: its "hint" property, drawn in grey in the
// middle of the empty list (the race list of a program folder without data, for one).
#pragma once

#include <QListWidget>
#include <functional>

namespace zelkova::gui {

class HintListWidget : public QListWidget {
 public:
  using QListWidget::QListWidget;
  // Sets the "hint" property shown while the list is empty; an empty text shows nothing.
  static void SetHint(QListWidget* list, const QString& hint);
  // Called after a key (arrows, page keys, typing a name) moved the current item; a mouse
  // click is the list's itemClicked.
  std::function<void()> chosenByKey;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace zelkova::gui
