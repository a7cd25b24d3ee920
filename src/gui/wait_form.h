// TWaitForm: the borderless "please wait" window shown by long loads, with a progress bar.
#pragma once

#include <QWidget>

class QLabel;
class QString;
class QProgressBar;
class QTimer;

namespace zelkova::gui {

class TWaitForm : public QWidget {
  Q_OBJECT
 public:
  explicit TWaitForm(QWidget* parent = nullptr);
  QProgressBar* ProgressBar1() const { return progress_; }
  void setProgress(int percent);
  // The loader's progress `position` of `maximum` steps, shown on the 0..100 bar.
  void setProgress(int position, int maximum);
  // The blue and purple message lines (the loader writes what it is reading on them).
  void setLines(const QString& line1, const QString& line2);
  QString line1() const;
  QString line2() const;

 private:
  void blink();
  QLabel* title_;
  QLabel* blue_;
  QLabel* purple_;
  QProgressBar* progress_;
  QTimer* timer_;
  bool red_ = true;
};

}  // namespace zelkova::gui
