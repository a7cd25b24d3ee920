#include "gui/kakoso_form.h"

#include <QCloseEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "settings/ini_gt.h"
#include "app/startup.h"

namespace zelkova::gui {

TKakosoForm::TKakosoForm(std::filesystem::path settingsFile, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(std::move(settingsFile)) {
  setObjectName("KakosoForm");
  setWindowTitle(QString::fromUtf8("馬成績"));
  auto* lay = new QVBoxLayout(this);
  grid_ = new QTableWidget(this);
  grid_->setObjectName("StringGrid1");
  lay->addWidget(grid_);
  TIniGT ini(settings_);
  WindowGeometry g = ReadGeometry(ini, "locateKakoso", WindowGeometry{10, 10, 910, 415});
  setGeometry(g.left, g.top, g.width, g.height);
}

void TKakosoForm::closeEvent(QCloseEvent* e) {
  TIniGT ini(settings_);
  (void)WriteGeometry(ini, "locateKakoso", WindowGeometry{y(), x(), width(), height()});
  e->accept();
}

}  // namespace zelkova::gui
