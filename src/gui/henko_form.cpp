#include "gui/henko_form.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "base/cp932.h"
#include "gui/help_pages.h"
#include "gui/qt_platform.h"
#include "settings/ini_gt.h"

namespace zelkova::gui {

THenkoForm::THenkoForm(std::filesystem::path settingsFile, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      settings_(std::move(settingsFile)) {
  setObjectName("HenkoForm");
  setWindowTitle(U("変更情報"));
  InstallHelpKey(this, "henko");
  auto* lay = new QVBoxLayout(this);
  const char* captions[5] = {"天候馬場", "出走取消・競争除外", "騎手変更", "発走時刻変更", "コース変更"};
  const int rows[5] = {4, 5, 5, 3, 3};
  for (int i = 0; i < 5; ++i) {
    lay->addWidget(new QLabel(U(captions[i]), this));
    auto* l = new QListWidget(this);
    l->setObjectName(QString("ListBox%1").arg(i + 1));
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->setMinimumHeight(rows[i] * l->fontMetrics().height() + 8);
    // The lists are read-only: a clicked line does not stay selected.
    connect(l, &QListWidget::itemClicked, l, [l] { l->clearSelection(); });
    lay->addWidget(l);
    lists_[static_cast<size_t>(i)] = l;
  }
  TIniGT ini(settings_);
  move(ini.ReadInteger("Henkolocate", "left", 10), ini.ReadInteger("Henkolocate", "top", 10));
  resize(460, 520);
}

void THenkoForm::ShowLists(const ChangeLists& lists) {
  for (size_t i = 0; i < lists_.size(); ++i) {
    QListWidget* l = lists_[i];
    l->clear();
    for (const std::string& line : lists.lines[i]) l->addItem(Q(line));
  }
  show();
  for (QListWidget* l : lists_) {
    if (l->count() > 0) l->scrollToItem(l->item(l->count() - 1));
    l->clearSelection();
    l->setCurrentRow(-1);
  }
}

void THenkoForm::closeEvent(QCloseEvent* e) {
  TIniGT ini(settings_);
  Status s = ini.WriteInteger("Henkolocate", "top", y());
  if (s.ok()) s = ini.WriteInteger("Henkolocate", "left", x());
  if (!s.ok() && prompts_) prompts_->information(::zelkova::Sj("設定を保存できませんでした：") + s.message());
  e->accept();
}

}  // namespace zelkova::gui
