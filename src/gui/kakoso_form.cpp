#include "gui/kakoso_form.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/startup.h"
#include "base/cp932.h"
#include "gui/help_pages.h"
#include "gui/qt_platform.h"
#include "gui/race_grid.h"
#include "output/grid_clipboard.h"
#include "settings/ini_gt.h"

namespace zelkova::gui {

namespace {

QLabel* Named(QWidget* parent, const std::string& name) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromStdString(name));
  l->setMinimumWidth(24);
  return l;
}

}  // namespace

TKakosoForm::TKakosoForm(std::filesystem::path settingsFile, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(std::move(settingsFile)) {
  setObjectName("KakosoForm");
  setWindowTitle(U("馬成績"));
  InstallHelpKey(this, "kakoso");
  // A window of its own, but the main window's companion: left open, it must not keep the
  // program running after the main window closes.
  setAttribute(Qt::WA_QuitOnClose, false);
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(4, 4, 4, 4);
  lay->setSpacing(3);

  // The labels exist before the first opening: a blank view names them all.
  auto blank = std::make_unique<RaceInfo>();
  view_ = FillKakosoView(*blank, -1);

  umaLabel_ = Named(this, "UmaLabel");
  QFont bold = umaLabel_->font();
  bold.setBold(true);
  umaLabel_->setFont(bold);
  lay->addWidget(umaLabel_);

  auto* top = new QHBoxLayout;
  auto* records = new QGridLayout;
  records->setHorizontalSpacing(8);
  records->setVerticalSpacing(0);
  int row = 0;
  for (const KakosoRecordRow& r : view_.records) {
    records->addWidget(new QLabel(Q(r.caption), this), row, 0);
    labels_.push_back(Named(this, r.counts.name));
    records->addWidget(labels_.back(), row, 1);
    int col = 2;
    for (const KakosoLabel& rate : r.rates) {
      labels_.push_back(Named(this, rate.name));
      records->addWidget(labels_.back(), row, col++);
    }
    ++row;
  }
  top->addLayout(records);
  auto* figures = new QGridLayout;
  figures->setHorizontalSpacing(8);
  for (size_t i = 0; i < 6; ++i)
    figures->addWidget(new QLabel(Q(KakosoClassCaptions()[i]), this), 0, static_cast<int>(i) + 1, Qt::AlignRight);
  figures->addWidget(new QLabel(Q(KakosoSpeedCaption()), this), 1, 0);
  figures->addWidget(new QLabel(Q(KakosoLast3FCaption()), this), 2, 0);
  for (size_t i = 0; i < 6; ++i) {
    labels_.push_back(Named(this, view_.speed[i].name));
    figures->addWidget(labels_.back(), 1, static_cast<int>(i) + 1, Qt::AlignRight);
  }
  for (size_t i = 0; i < 6; ++i) {
    labels_.push_back(Named(this, view_.last3f[i].name));
    figures->addWidget(labels_.back(), 2, static_cast<int>(i) + 1, Qt::AlignRight);
  }
  auto* right = new QVBoxLayout;
  right->addLayout(figures);
  right->addStretch();
  top->addSpacing(24);
  top->addLayout(right);
  top->addStretch();
  lay->addLayout(top);
  auto* note = new QLabel(Q(view_.note), this);
  note->setObjectName("NoteLabel");
  lay->addWidget(note);

  // A narrow window cuts the button row rather than refusing its stored width.
  auto* bar = new QWidget(this);
  bar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  auto* sortBar = new QHBoxLayout(bar);
  sortBar->setContentsMargins(0, 0, 0, 0);
  sortBar->setSpacing(1);
  sortBar->addWidget(new QLabel(U("並べ替え"), bar));
  sortGroup_ = new QButtonGroup(this);
  sortGroup_->setExclusive(true);
  const auto& buttons = KakosoSortButtons();
  for (size_t i = 0; i < buttons.size(); ++i) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString("SpeedButton77_%1").arg(i));
    b->setText(Q(buttons[i].caption));
    b->setCheckable(true);
    b->setChecked(i == 0);
    sortGroup_->addButton(b, static_cast<int>(i));
    sortBar->addWidget(b);
  }
  sortBar->addStretch();
  connect(sortGroup_, &QButtonGroup::idClicked, this, [this](int) { SpeedButton77Click(); });
  lay->addWidget(bar);

  grid_ = new RaceGrid(view_.grid, this);
  popup_ = new QMenu(this);
  QAction* copy = popup_->addAction(Q(KakosoCopyCaption()));
  copy->setObjectName("N10");
  connect(copy, &QAction::triggered, this, [this] { N10Click(); });
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid_, &QTableWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { popup_->exec(grid_->viewport()->mapToGlobal(p)); });
  lay->addWidget(grid_, 1);

  systemClipboard_ = std::make_unique<QtClipboard>();
  clipboard_ = systemClipboard_.get();

  TIniGT ini(settings_);
  WindowGeometry g = ReadGeometry(ini, "locateKakoso", WindowGeometry{10, 10, 910, 415});
  setGeometry(g.left, g.top, g.width, g.height);
  showGrid();
}

TKakosoForm::~TKakosoForm() = default;

void TKakosoForm::fill(KakosoView view) {
  view_ = std::move(view);
  umaLabel_->setText(Q(view_.UmaLabel));
  size_t k = 0;
  auto put = [&](const KakosoLabel& l) {
    if (k < labels_.size()) labels_[k++]->setText(Q(l.text));
  };
  for (const KakosoRecordRow& r : view_.records) {
    put(r.counts);
    for (const KakosoLabel& rate : r.rates) put(rate);
  }
  for (const KakosoLabel& l : view_.speed) put(l);
  for (const KakosoLabel& l : view_.last3f) put(l);
  if (auto* no = sortGroup_->button(0)) no->setChecked(true);
  showGrid();
}

void TKakosoForm::showGrid() { grid_->refresh(); }

void TKakosoForm::SpeedButton77Click() {
  SortKakoso(view_.grid, sortGroup_->checkedId());
  showGrid();
}

void TKakosoForm::N10Click() {
  if (clipboard_) CopyWholeGrid(*clipboard_, CellsOf(view_.grid), view_.UmaLabel);
}

void TKakosoForm::closeEvent(QCloseEvent* e) {
  TIniGT ini(settings_);
  if (Status s = WriteGeometry(ini, "locateKakoso", WindowGeometry{y(), x(), width(), height()}); !s.ok() && prompts_)
    prompts_->information(::zelkova::Sj("設定を保存できませんでした：") + s.message());
  e->accept();
}

}  // namespace zelkova::gui
