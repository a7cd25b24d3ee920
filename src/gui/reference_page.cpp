#include "gui/reference_page.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/rating_tables.h"
#include "base/cp932.h"

namespace zelkova::gui {

namespace {

constexpr int kCols = 14;
constexpr int kRows = 8;
constexpr const char* kGridNames[7] = {"StringGrid44", "StringGrid47", "StringGrid48", "StringGrid49",
                                       "StringGrid53", "StringGrid54", "StringGrid55"};

QString Q(const std::string& cp932) { return QString::fromUtf8(Cp932ToUtf8Lossy(cp932)); }

QTableWidgetItem* CellItem(QTableWidget* g, int row, int col) {
  QTableWidgetItem* item = g->item(row, col);
  if (!item) {
    item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled);
    const bool fixed = row == 0 || col == 0;
    item->setTextAlignment(fixed ? Qt::AlignCenter : (Qt::AlignRight | Qt::AlignVCenter));
    if (fixed) item->setBackground(QColor(240, 240, 240));
    g->setItem(row, col, item);
  }
  return item;
}

}  // namespace

ReferencePage::ReferencePage(const RatingTables& tables, QWidget* parent)
    : QWidget(parent), tables_(tables) {
  auto* layout = new QVBoxLayout(this);

  auto* box = new QGroupBox(this);
  box->setObjectName("RadioGroup2");
  auto* boxLayout = new QHBoxLayout(box);
  RadioGroup2 = new QButtonGroup(this);
  for (int t = 0; t < 3; ++t) {
    auto* b = new QRadioButton(Q(ReferenceKindCaption(t)), box);
    RadioGroup2->addButton(b, t);
    boxLayout->addWidget(b);
  }
  layout->addWidget(box);

  PageControl4 = new QTabWidget(this);
  PageControl4->setObjectName("PageControl4");
  for (int c = 0; c < 7; ++c) {
    auto* g = new QTableWidget(kRows, kCols, PageControl4);
    g->setObjectName(kGridNames[c]);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->horizontalHeader()->setDefaultSectionSize(40);
    g->setColumnWidth(0, 56);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::NoSelection);
    // Column captions never change with the radio group: set them once.
    for (int col = 1; col < kCols; ++col) CellItem(g, 0, col)->setText(Q(ReferenceCellText(tables_, 0, c, col, 0)));
    CellItem(g, 0, 0);
    grids_[c] = g;
    PageControl4->addTab(g, Q(ReferenceTabCaption(c)));
  }
  PageControl4->setTabVisible(3, false);  // category 3 is never rated
  layout->addWidget(PageControl4, 1);

  connect(RadioGroup2, &QButtonGroup::idClicked, this, &ReferencePage::RadioGroup2Click);
  showKind(0);
}

int ReferencePage::selectedKind() const { return RadioGroup2->checkedId() < 0 ? 0 : RadioGroup2->checkedId(); }

void ReferencePage::showKind(int kind) {
  if (kind < 0 || kind > 2) kind = 0;
  if (auto* b = RadioGroup2->button(kind)) b->setChecked(true);
  RadioGroup2Click(kind);
}

void ReferencePage::RadioGroup2Click(int kind) {
  for (int c = 0; c < 7; ++c) {
    QTableWidget* g = grids_[c];
    for (int row = 1; row < kRows; ++row) {
      CellItem(g, row, 0)->setText(Q(ReferenceCellText(tables_, kind, c, 0, row)));
      // Run slot 13 would go to a 15th column, which the grid does not have.
      for (int col = 1; col < kCols; ++col)
        CellItem(g, row, col)->setText(Q(ReferenceCellText(tables_, kind, c, col, row)));
    }
  }
}

}  // namespace zelkova::gui
