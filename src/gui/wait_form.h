// TWaitForm: the borderless "please wait" window shown by long loads, with a progress bar.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

namespace zelkova::gui {

class TWaitForm : public QWidget {
  Q_OBJECT
 public:
  explicit TWaitForm(QWidget* parent = nullptr);
  QProgressBar* ProgressBar1() const { return progress_; }
  void setProgress(int percent);

 private:
  void blink();
  QLabel* title_;
  QProgressBar* progress_;
  QTimer* timer_;
  bool red_ = true;
};

}  // namespace zelkova::gui
