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
  // Called after the user moved the current item other than by clicking it: with a key (arrows,
  // page keys, typing a name) or by dragging the mouse from one item to another. A click on an
  // item is the list's itemClicked.
  std::function<void()> chosenWithoutClick;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  int pressedRow_ = -1;   // the item under the mouse press
  int rowAtPress_ = -1;   // the current item before it
};

}  // namespace zelkova::gui
