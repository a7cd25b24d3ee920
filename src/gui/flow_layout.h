// FlowLayout: items left to right, wrapping onto further lines when the width runs out, so a long
// row of buttons never makes its window wider.
#pragma once

#include <QLayout>
#include <QList>

namespace zelkova::gui {

class FlowLayout : public QLayout {
 public:
  explicit FlowLayout(QWidget* parent = nullptr, int spacing = 2);
  ~FlowLayout() override;

  void addItem(QLayoutItem* item) override;
  int count() const override { return static_cast<int>(items_.size()); }
  QLayoutItem* itemAt(int index) const override { return items_.value(index); }
  QLayoutItem* takeAt(int index) override;
  Qt::Orientations expandingDirections() const override { return {}; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }
  QSize minimumSize() const override;
  QSize sizeHint() const override { return minimumSize(); }
  void setGeometry(const QRect& rect) override;

 private:
  // Places the items in `rect` (when `apply`) and returns the height they need.
  int arrange(const QRect& rect, bool apply) const;

  QList<QLayoutItem*> items_;
  int gap_;
};

}  // namespace zelkova::gui
