#include "gui/race_view_pages.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/flow_layout.h"
#include "gui/paint_list_painter.h"
#include "gui/qt_platform.h"
#include "gui/race_grid.h"
#include "records/code_tables.h"

namespace zelkova::gui {

namespace {

size_t Index(ViewGridId id) { return static_cast<size_t>(id); }

// A small read-only table of plain texts in the grids' font.
QTableWidget* PlainTable(QWidget* parent, const char* name, int rows, int cols, int colWidth) {
  auto* t = new QTableWidget(rows, cols, parent);
  t->setObjectName(name);
  t->setFont(FixedPitchFont(12));
  t->horizontalHeader()->setFont(FixedPitchFont(12));
  t->verticalHeader()->setFont(FixedPitchFont(12));
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->setSelectionMode(QAbstractItemView::NoSelection);
  t->setFocusPolicy(Qt::NoFocus);
  t->setTextElideMode(Qt::ElideNone);
  t->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  t->horizontalHeader()->setDefaultSectionSize(colWidth);
  t->verticalHeader()->setDefaultSectionSize(18);
  t->horizontalHeader()->setHighlightSections(false);
  t->verticalHeader()->setHighlightSections(false);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      auto* it = new QTableWidgetItem;
      it->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      t->setItem(r, c, it);
    }
  return t;
}

// Exactly the size of its rows and columns, so the page shows the whole table without scrolling.
void FitSize(QTableWidget* t, int rowHeaderWidth) {
  t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  t->verticalHeader()->setFixedWidth(rowHeaderWidth);
  t->horizontalHeader()->setFixedHeight(20);
  int h = 20, w = rowHeaderWidth;
  for (int r = 0; r < t->rowCount(); ++r) h += t->rowHeight(r);
  for (int c = 0; c < t->columnCount(); ++c) w += t->columnWidth(c);
  t->setFixedSize(w + 2 * t->frameWidth(), h + 2 * t->frameWidth());
}

void SetText(QTableWidget* t, int r, int c, const std::string& cp932) {
  if (QTableWidgetItem* it = t->item(r, c)) it->setText(Q(cp932).trimmed());
}

// The page's contents in a scroll area, so that big tables never widen the window.
QWidget* Scrolled(QWidget* page, const char* name) {
  auto* area = new QScrollArea(page);
  area->setObjectName(name);
  area->setFrameShape(QFrame::NoFrame);
  area->setWidgetResizable(true);
  auto* inner = new QWidget(area);
  new QVBoxLayout(inner);
  area->setWidget(inner);
  page->layout()->addWidget(area);
  return inner;
}

// Compact speed buttons: the widest group (RT一覧, sixteen buttons) fits the default window.
const char* const kButtonStyle =
    "QToolButton { padding: 1px 3px; border: 1px solid #a0a0a0; border-radius: 2px; background: #f4f4f4; }"
    "QToolButton:hover { background: #e4ecf8; }"
    "QToolButton:checked { background: #cfdcf2; border: 1px solid #5078b4; }";

QString Colour(Rgb c) { return QColor(c.r, c.g, c.b).name(); }

}  // namespace

RaceViewPages::RaceViewPages(RaceView& view, QObject* parent) : QObject(parent), view_(view) {}

QLabel* RaceViewPages::label(QWidget* parent, const char* name) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setFont(FixedPitchFont(12));
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}

QWidget* RaceViewPages::buildHeader(QWidget* parent) {
  // Long titles are cut at the window's edge rather than widening the window.
  auto* area = new QScrollArea(parent);
  area->setObjectName("RaceHeaderArea");
  area->setFrameShape(QFrame::NoFrame);
  area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setWidgetResizable(true);
  header_ = new QWidget(area);
  header_->setObjectName("RaceHeader");
  auto* g = new QGridLayout(header_);
  g->setContentsMargins(2, 2, 2, 2);
  g->setHorizontalSpacing(8);
  g->setVerticalSpacing(1);
  QLabel* race = label(header_, "RaceLabel");
  QFont big = FixedPitchFont(26);
  big.setBold(true);
  race->setFont(big);
  race->setAlignment(Qt::AlignCenter);
  race->setMinimumWidth(56);
  race->setAutoFillBackground(true);
  race->setStyleSheet("QLabel { background: #004020; color: white; padding: 2px; }");
  g->addWidget(race, 0, 0, 3, 1);
  QLabel* basho = label(header_, "BashoLabel");
  QFont mid = FixedPitchFont(16);
  mid.setBold(true);
  basho->setFont(mid);
  g->addWidget(basho, 3, 0, Qt::AlignCenter);

  auto* row1 = new QHBoxLayout;
  row1->setSpacing(12);
  row1->addWidget(label(header_, "TitleLabel1"));
  for (const char* n : {"BabaTurfLabel", "BabaDirtLabel"}) {
    QLabel* l = label(header_, n);
    l->setStyleSheet("QLabel { color: #800000; }");
    row1->addWidget(l);
  }
  row1->addWidget(label(header_, "RestTimeLabel"));
  row1->addStretch();
  g->addLayout(row1, 0, 1);
  QLabel* name = label(header_, "TitleLabel2");
  QFont nameFont = FixedPitchFont(16);
  nameFont.setBold(true);
  name->setFont(nameFont);
  g->addWidget(name, 1, 1);
  auto* row3 = new QHBoxLayout;
  row3->setSpacing(12);
  row3->addWidget(label(header_, "TitleLabel3"));
  row3->addWidget(label(header_, "TitleLabel4"));
  row3->addStretch();
  g->addLayout(row3, 2, 1);
  auto* row4 = new QHBoxLayout;
  row4->setSpacing(6);
  row4->addWidget(label(header_, "TitleLabel5"));
  row4->addSpacing(12);
  QLabel* share = label(header_, "NinSenyuCaption");
  share->setText(U("人気占有率"));
  row4->addWidget(share);
  row4->addWidget(label(header_, "NinSenyuLabel"));
  row4->addSpacing(12);
  QLabel* f3 = label(header_, "F3AveCaption");
  f3->setText(U("3F平均"));
  row4->addWidget(f3);
  row4->addWidget(label(header_, "F3AveLabel"));
  row4->addStretch();
  g->addLayout(row4, 3, 1);
  g->setColumnStretch(1, 1);
  area->setWidget(header_);
  area->setFixedHeight(header_->sizeHint().height());
  return area;
}

QButtonGroup* RaceViewPages::sortGroup(QWidget* parent, ViewGridId id) {
  auto* bar = new QWidget(parent);
  bar->setObjectName(QString(SortGroupName(id)) + "Bar");
  bar->setStyleSheet(kButtonStyle);
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  policy.setHeightForWidth(true);
  bar->setSizePolicy(policy);
  auto* row = new FlowLayout(bar, 1);
  row->addWidget(new QLabel(U("並べ替え"), bar));
  auto* group = new QButtonGroup(bar);
  group->setObjectName(SortGroupName(id));
  group->setExclusive(true);
  const auto& buttons = SortButtons(id);
  for (size_t i = 0; i < buttons.size(); ++i) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString("%1_%2").arg(SortGroupName(id)).arg(i));
    b->setText(Q(buttons[i].caption));
    b->setCheckable(true);
    b->setChecked(static_cast<int>(i) == view_.pressedButton(id));
    group->addButton(b, static_cast<int>(i));
    row->addWidget(b);
  }
  connect(group, &QButtonGroup::idClicked, this, [this, id](int button) {
    PressSortButton(view_, id, button);
    refreshGrid(id);
  });
  parent->layout()->addWidget(bar);
  return group;
}

QWidget* RaceViewPages::cardFilters(QWidget* parent) {
  auto* bar = new QWidget(parent);
  bar->setObjectName("CardFilters");
  bar->setStyleSheet(kButtonStyle);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(1);
  auto add = [&](const char* caption, std::initializer_list<std::pair<const char*, const char*>> buttons, auto apply) {
    row->addWidget(new QLabel(U(caption), bar));
    auto* group = new QButtonGroup(bar);
    int i = 0;
    for (auto [name, text] : buttons) {
      auto* b = new QToolButton(bar);
      b->setObjectName(name);
      b->setText(U(text));
      b->setCheckable(true);
      b->setChecked(i == 0);
      group->addButton(b, i++);
      row->addWidget(b);
    }
    connect(group, &QButtonGroup::idClicked, this, [this, apply](int id) {
      apply(id);
      emit filtersChanged();
    });
    row->addSpacing(16);
  };
  add("馬場選択", {{"selBaBtn1", "全表示"}, {"selBaBtn2", "芝"}, {"selBaBtn3", "ﾀﾞｰﾄ"}},
      [this](int id) { view_.surface = static_cast<SurfaceFilter>(id); });
  add("距離", {{"selkyoriBtn1", "無指定"}, {"selkyoriBtn2", "同距離"}, {"selkyoriBtn3", "+/-400m"}},
      [this](int id) { view_.distance = static_cast<DistanceFilter>(id); });
  row->addStretch();
  return bar;
}

RaceGrid* RaceViewPages::addGrid(QWidget* page, ViewGridId id) {
  // The page ends with a stretch, so the grids (no taller than their rows) sit at its top.
  QLayout* box = page->layout();
  if (box->count() > 0 && box->itemAt(box->count() - 1)->spacerItem()) delete box->takeAt(box->count() - 1);
  if (Index(id) < kSortedGridCount) groups_[Index(id)] = sortGroup(page, id);
  if (id == ViewGridId::Umabashira) page->layout()->addWidget(cardFilters(page));
  auto* g = new RaceGrid(view_.grid(id), page);
  g->handCursorAt = [id](int row, int col) { return HandCursorAt(id, row, col); };
  grids_[Index(id)] = g;
  // The race card acts on the mouse-down; the rating grids on the click.
  if (id == ViewGridId::Umabashira)
    connect(g, &QTableWidget::cellPressed, this, [this, id](int r, int c) { emit cellClicked(id, r + 1, c); });
  else
    connect(g, &QTableWidget::cellClicked, this, [this, id](int r, int c) { emit cellClicked(id, r + 1, c); });
  static_cast<QVBoxLayout*>(box)->addWidget(g, 1);
  static_cast<QVBoxLayout*>(box)->addStretch(0);
  return g;
}

void RaceViewPages::buildOddsPage(QWidget* outer) {
  QWidget* page = Scrolled(outer, "OddsArea");
  auto* top = new QHBoxLayout;
  for (auto [caption, slot] : {std::pair{"単複枠：", &o1Time_}, {"馬連：", &o2Time_}}) {
    top->addWidget(new QLabel(U(caption), page));
    *slot = label(page, slot == &o1Time_ ? "O1TimeLabel" : "O2TimeLabel");
    top->addWidget(*slot);
    top->addSpacing(16);
  }
  top->addStretch();
  static_cast<QVBoxLayout*>(page->layout())->addLayout(top);

  auto* body = new QHBoxLayout;
  // As narrow as their texts ("%5.1f", "18番人気"), so that beside them the quinella matrix
  // shows all 18 columns in the window's stored width.
  winOdds_ = PlainTable(page, "WinOddsGrid", 18, 1, 46);
  winOdds_->setHorizontalHeaderLabels({U("単勝")});
  popular_ = PlainTable(page, "PopularGrid", 18, 2, 44);
  popular_->setColumnWidth(0, 36);
  popular_->setHorizontalHeaderLabels({U("馬番"), U("単勝")});
  quinella_ = PlainTable(page, "QuinellaMatrix", 18, 18, 48);
  bracket_ = PlainTable(page, "BracketMatrix", 8, 8, 48);
  QStringList numbers, brackets;
  for (int i = 1; i <= 18; ++i) numbers << QString::number(i);
  for (int i = 1; i <= 8; ++i) brackets << QString::number(i);
  winOdds_->setVerticalHeaderLabels(numbers);
  QStringList places;
  for (int i = 1; i <= 18; ++i) places << U("%1番人気").arg(i);
  popular_->setVerticalHeaderLabels(places);
  quinella_->setHorizontalHeaderLabels(numbers);
  quinella_->setVerticalHeaderLabels(numbers);
  bracket_->setHorizontalHeaderLabels(brackets);
  bracket_->setVerticalHeaderLabels(brackets);
  // Each pair once: the lower half of a matrix stays grey.
  for (auto* m : {quinella_, bracket_})
    for (int r = 0; r < m->rowCount(); ++r)
      for (int c = 0; c < m->columnCount(); ++c)
        if (c < r || (m == quinella_ && c == r)) m->item(r, c)->setBackground(QColor(0xe0, 0xe0, 0xe0));
  FitSize(winOdds_, 28);
  FitSize(popular_, 60);
  FitSize(quinella_, 28);
  FitSize(bracket_, 28);
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(U("単勝オッズ"), page));
  left->addWidget(winOdds_);
  left->addStretch();
  auto* mid = new QVBoxLayout;
  mid->addWidget(new QLabel(U("人気順"), page));
  mid->addWidget(popular_);
  mid->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel(U("馬連オッズ"), page));
  right->addWidget(quinella_);
  right->addWidget(new QLabel(U("枠連オッズ"), page));
  right->addWidget(bracket_);
  right->addStretch();
  body->addLayout(left);
  body->addLayout(mid);
  body->addLayout(right);
  body->addStretch();
  static_cast<QVBoxLayout*>(page->layout())->addLayout(body);
}

void RaceViewPages::buildPayoutPage(QWidget* outer) {
  QWidget* page = Scrolled(outer, "PayoutArea");
  payouts_ = PlainTable(page, "PayoutGrid", 36, 3, 90);
  payouts_->setHorizontalHeaderLabels({U("組番"), U("人気"), U("払戻金(円)")});
  payouts_->setColumnWidth(1, 44);
  QStringList kinds;
  for (auto [kind, n] : {std::pair{"単勝", 3}, {"複勝", 5}, {"枠連", 3}, {"馬連", 3}, {"ワイド", 7}, {"馬単", 6},
                         {"3連複", 3}, {"3連単", 6}})
    for (int i = 0; i < n; ++i) kinds << U(kind);
  payouts_->setVerticalHeaderLabels(kinds);
  FitSize(payouts_, 64);
  page->layout()->addWidget(payouts_);
  static_cast<QVBoxLayout*>(page->layout())->addStretch();
}

void RaceViewPages::refreshGrid(ViewGridId id) {
  if (RaceGrid* g = grids_[Index(id)]) g->refresh();
  if (QButtonGroup* group = groups_[Index(id)])
    if (auto* b = group->button(view_.pressedButton(id))) b->setChecked(true);
}

void RaceViewPages::refresh() {
  for (int i = 0; i < kViewGridCount; ++i) refreshGrid(static_cast<ViewGridId>(i));
  if (header_) {
    const RaceHeader& h = view_.header;
    for (auto [name, text] : std::initializer_list<std::pair<const char*, const std::string*>>{
             {"TitleLabel1", &h.TitleLabel1}, {"TitleLabel2", &h.TitleLabel2}, {"TitleLabel3", &h.TitleLabel3},
             {"TitleLabel4", &h.TitleLabel4}, {"TitleLabel5", &h.TitleLabel5}, {"BashoLabel", &h.BashoLabel},
             {"RaceLabel", &h.RaceLabel},     {"BabaTurfLabel", &h.BabaTurfLabel},
             {"BabaDirtLabel", &h.BabaDirtLabel}, {"RestTimeLabel", &h.RestTimeLabel},
             {"NinSenyuLabel", &h.NinSenyuLabel}, {"F3AveLabel", &h.F3AveLabel}})
      if (auto* l = header_->findChild<QLabel*>(name)) l->setText(Q(*text).trimmed());
  }
  for (auto [l, t] : {std::pair{o1Time_, &view_.header.O1Time}, {o2Time_, &view_.header.O2Time}}) {
    if (!l) continue;
    l->setText(Q(t->text));
    l->setStyleSheet(QString("QLabel { color: %1; }").arg(Colour(t->colour)));
  }
  const OddsLabels& o = view_.odds;
  if (winOdds_) {
    for (int i = 0; i < 18; ++i) {
      SetText(winOdds_, i, 0, o.win[static_cast<size_t>(i)]);
      SetText(popular_, i, 0, o.popularNo[static_cast<size_t>(i)]);
      SetText(popular_, i, 1, o.popularOdds[static_cast<size_t>(i)]);
    }
    for (int i = 1; i <= 153; ++i) {
      const std::string label = QuinellaComboLabel(i);  // " a- b"
      const int a = std::atoi(label.substr(0, 2).c_str()), b = std::atoi(label.substr(3, 2).c_str());
      SetText(quinella_, a - 1, b - 1, o.quinella[static_cast<size_t>(i - 1)]);
    }
    for (int i = 1; i <= 36; ++i) {
      const std::string label = BracketComboLabel(i);
      const int a = std::atoi(label.substr(0, 2).c_str()), b = std::atoi(label.substr(3, 2).c_str());
      SetText(bracket_, a - 1, b - 1, o.bracket[static_cast<size_t>(i - 1)]);
    }
  }
  if (payouts_) {
    int row = 0;
    auto put = [&](const auto& rows) {
      for (const PayoutRow& r : rows) {
        SetText(payouts_, row, 0, r.combo);
        SetText(payouts_, row, 1, r.popularity);
        SetText(payouts_, row, 2, r.amount);
        payouts_->setRowHidden(row, r.combo.empty());
        ++row;
      }
    };
    const PayoutRows& p = view_.payouts;
    put(p.win);
    put(p.place);
    put(p.bracket);
    put(p.quinella);
    put(p.wide);
    put(p.exacta);
    put(p.trio);
    put(p.trifecta);
    FitSize(payouts_, 64);
  }
}

}  // namespace zelkova::gui
