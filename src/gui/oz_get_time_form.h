// TOzGetTimeForm: the dialog of the automatic retrieval's times (データﾞ自動取得時刻指定): minutes
// before post for the odds, the interval of the results and weights fetch, and the hidden weight
// lead time. It loads the settings when made and writes them back on OK; a new load of a date
// puts them to use.
#pragma once

#include <QDialog>
#include <filesystem>

class QSpinBox;

namespace zelkova::gui {

class TOzGetTimeForm : public QDialog {
  Q_OBJECT
 public:
  TOzGetTimeForm(std::filesystem::path settingsFile, QWidget* parent = nullptr);
  QSpinBox* SpinEdit1() const { return spinEdit1_; }  // AutoOzGet
  QSpinBox* SpinEdit2() const { return spinEdit2_; }  // AutoBataijuGet (not shown)
  QSpinBox* SpinEdit3() const { return spinEdit3_; }  // AutoRdataGet
  // Writes the three values; false (after telling the user) when the settings file cannot be written.
  bool save();

 public slots:
  void accept() override;

 private:
  std::filesystem::path settings_;
  QSpinBox* spinEdit1_;
  QSpinBox* spinEdit2_;
  QSpinBox* spinEdit3_;
};

}  // namespace zelkova::gui
