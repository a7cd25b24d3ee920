#include "gui/henko_form.h"

#include <QCloseEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "settings/ini_gt.h"

namespace zelkova::gui {

THenkoForm::THenkoForm(std::filesystem::path settingsFile, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(std::move(settingsFile)) {
  setObjectName("HenkoForm");
  setWindowTitle(QString::fromUtf8("変更情報"));
  auto* lay = new QVBoxLayout(this);
  grid_ = new QTableWidget(this);
  grid_->setObjectName("StringGrid1");
  lay->addWidget(grid_);
  TIniGT ini(settings_);
  move(ini.ReadInteger("Henkolocate", "left", 10), ini.ReadInteger("Henkolocate", "top", 10));
  resize(520, 360);
}

void THenkoForm::closeEvent(QCloseEvent* e) {
  TIniGT ini(settings_);
  (void)ini.WriteInteger("Henkolocate", "top", y());
  (void)ini.WriteInteger("Henkolocate", "left", x());
  e->accept();
}

}  // namespace zelkova::gui
