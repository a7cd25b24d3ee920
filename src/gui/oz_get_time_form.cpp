#include "gui/oz_get_time_form.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QVBoxLayout>

#include "gui/help_pages.h"
#include "gui/qt_platform.h"
#include "settings/ini_gt.h"

namespace zelkova::gui {

namespace {

QSpinBox* Spin(QWidget* parent, const char* name, int low, int high, int value) {
  auto* s = new QSpinBox(parent);
  s->setObjectName(name);
  s->setRange(low, high);
  s->setValue(value);
  return s;
}

QLabel* Wrapped(QWidget* parent, const char* utf8) {
  auto* l = new QLabel(U(utf8), parent);
  l->setWordWrap(true);
  return l;
}

}  // namespace

TOzGetTimeForm::TOzGetTimeForm(std::filesystem::path settingsFile, QWidget* parent)
    : QDialog(parent), settings_(std::move(settingsFile)) {
  setObjectName("OzGetTimeForm");
  setWindowTitle(U("データﾞ自動取得時刻指定"));
  InstallHelpKey(this, "oz_get_time");
  TIniGT ini(settings_);
  spinEdit1_ = Spin(this, "SpinEdit1", 3, 59, ini.ReadInteger("Time", "AutoOzGet", 30));
  spinEdit2_ = Spin(this, "SpinEdit2", 2, 59, ini.ReadInteger("Time", "AutoBataijuGet", 37));
  spinEdit3_ = Spin(this, "SpinEdit3", 5, 59, ini.ReadInteger("Time", "AutoRdataGet", 15));
  spinEdit2_->hide();

  auto* lay = new QVBoxLayout(this);
  auto* odds = new QGroupBox(U("オッズ自動取得時刻指定"), this);
  auto* ol = new QVBoxLayout(odds);
  ol->addWidget(Wrapped(odds, "ｵｯｽﾞを自動取得する際に各ﾚｰｽ発走何分前に取得機能を起動するかを指定します。"));
  auto* orow = new QHBoxLayout;
  orow->addWidget(new QLabel(U("発走"), odds));
  orow->addWidget(spinEdit1_);
  orow->addWidget(new QLabel(U("分前"), odds));
  orow->addStretch();
  ol->addLayout(orow);
  lay->addWidget(odds);

  auto* results = new QGroupBox(U("結果情報自動取得時刻指定"), this);
  auto* rl = new QVBoxLayout(results);
  rl->addWidget(Wrapped(results, "随時更新されるﾚｰｽ結果情報を何分おきに自動取得するか指定します。同時に馬体重データも取得します。"));
  auto* rrow = new QHBoxLayout;
  rrow->addWidget(spinEdit3_);
  rrow->addWidget(new QLabel(U("分間隔"), results));
  rrow->addStretch();
  rl->addLayout(rrow);
  lay->addWidget(results);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  lay->addWidget(buttons);
  setFixedWidth(360);
}

bool TOzGetTimeForm::save() {
  TIniGT ini(settings_);
  Status s = ini.WriteInteger("Time", "AutoOzGet", spinEdit1_->value());
  if (s.ok()) s = ini.WriteInteger("Time", "AutoBataijuGet", spinEdit2_->value());
  if (s.ok()) s = ini.WriteInteger("Time", "AutoRdataGet", spinEdit3_->value());
  if (!s.ok()) QMessageBox::information(this, windowTitle(), U("設定を保存できませんでした：") + Q(s.message()));
  return s.ok();
}

void TOzGetTimeForm::accept() {
  if (save()) QDialog::accept();
}

}  // namespace zelkova::gui
