// TSplash: the start-up window, shown before anything else; it goes away when it loses
// activation (the main window became active) or when told to.
#pragma once

#include <QWidget>

namespace zelkova::gui {

class TSplash : public QWidget {
  Q_OBJECT
 public:
  TSplash();

 protected:
  void paintEvent(QPaintEvent*) override;
  void changeEvent(QEvent* e) override;
};

}  // namespace zelkova::gui
