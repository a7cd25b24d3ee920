// THenkoForm: the change-information window (変更情報). Its content comes with the race-day
// updates; this shell keeps its position in Henkolocate.
#pragma once

#include <QWidget>
#include <filesystem>

class QTableWidget;

namespace zelkova::gui {

class THenkoForm : public QWidget {
  Q_OBJECT
 public:
  THenkoForm(std::filesystem::path settingsFile, QWidget* parent = nullptr);
  QTableWidget* grid() const { return grid_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  std::filesystem::path settings_;
  QTableWidget* grid_;
};

}  // namespace zelkova::gui
