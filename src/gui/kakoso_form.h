// TKakosoForm: the past-runs window (馬成績) of one horse. Its grid is filled by the past-runs
// view; this shell keeps its geometry in locateKakoso.
#pragma once

#include <QWidget>
#include <filesystem>

class QTableWidget;

namespace zelkova::gui {

class TKakosoForm : public QWidget {
  Q_OBJECT
 public:
  TKakosoForm(std::filesystem::path settingsFile, QWidget* parent = nullptr);
  QTableWidget* grid() const { return grid_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  std::filesystem::path settings_;
  QTableWidget* grid_;
};

}  // namespace zelkova::gui
