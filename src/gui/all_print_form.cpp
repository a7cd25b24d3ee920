#include "gui/all_print_form.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "base/fixed_fields.h"
#include "gui/help_pages.h"
#include "gui/prev_x.h"
#include "gui/qt_platform.h"
#include "output/analysis_print.h"

namespace zelkova::gui {

namespace {
constexpr int kZooms[4] = {25, 50, 75, 100};
}

TAllPrintForm::TAllPrintForm(TIniGT& ini, Prompts* prompts, QWidget* parent)
    : QDialog(parent), ini_(ini), prompts_(prompts) {
  setObjectName("AllPrintForm");
  setWindowTitle(U("全買い目印刷"));
  InstallHelpKey(this, "print");
  auto* lay = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* box = new QGroupBox(U("倍率"), this);
  box->setObjectName("ZoomGroup");
  auto* grid = new QGridLayout(box);
  zoom_ = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    auto* b = new QRadioButton(QString("%1%").arg(kZooms[i]), box);
    b->setObjectName(QString("Zoom%1").arg(kZooms[i]));
    zoom_->addButton(b, i);
    grid->addWidget(b, i / 2, i % 2);
  }
  top->addWidget(box);
  auto button = [this, top](const char* name, const char* caption, auto slot) {
    auto* b = new QPushButton(U(caption), this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, slot);
    top->addWidget(b);
    return b;
  };
  button("PrintBtn", "表示ﾍﾟｰｼﾞ印刷(&P)", [this] { PrintBtnClick(); });
  button("SetupBtn", "ﾌﾟﾘﾝﾀ設定(&S)", [this] { SetupBtnClick(); });
  button("PdfBtn", "PDF保存(&D)", [this] { PdfBtnClick(); });
  button("CloseBtn", "閉じる(&C)", [this] { close(); });
  top->addStretch();
  lay->addLayout(top);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("ScrollBox1");
  scroll->setBackgroundRole(QPalette::Dark);
  prevX_ = new TPrevX(scroll);
  scroll->setWidget(prevX_);
  lay->addWidget(scroll, 1);

  WindowGeometry g = ReadGeometry(ini_, "Printlocate", WindowGeometry{10, 10, 630, 450});
  move(g.left, g.top);
  resize(g.width, g.height);
  applyStoredZoom(false);
  connect(zoom_, &QButtonGroup::idClicked, this, [this](int id) { ZoomChange(id); });
}

void TAllPrintForm::tell(const Status& s) {
  if (s.ok() || !prompts_) return;
  prompts_->information(s.message());
}

void TAllPrintForm::applyStoredZoom(bool store) {
  const int stored = ini_.ReadInteger("PrintZoom", "ratio", -1);
  const int idx = stored < 0 || stored > 3 ? 1 : stored;
  // A missing or unusable choice becomes 50%, stored as such when asked.
  if (store && idx != stored) return ZoomChange(idx);
  if (auto* b = zoom_->button(idx)) b->setChecked(true);
  prevX_->setZoomScale(kZooms[idx]);
}

void TAllPrintForm::ZoomChange(int index) {
  if (index < 0 || index > 3) return;
  if (auto* b = zoom_->button(index)) b->setChecked(true);
  prevX_->setZoomScale(kZooms[index]);
  if (Status s = ini_.WriteInteger("PrintZoom", "ratio", index); !s.ok())
    tell(Status::IoError(::zelkova::Sj("設定を保存できませんでした：") + s.message()));
}

void TAllPrintForm::PrintBtnClick() { tell(prevX_->PrintPages()); }

void TAllPrintForm::SetupBtnClick() {
  if (!prevX_->hasPrinter()) {
    tell(TPrevX::NoPrinter());
    return;
  }
  QPrintDialog dialog(prevX_->printer(), this);
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
  dialog.exec();
  prevX_->refreshDevice();
}

void TAllPrintForm::PdfBtnClick() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  QString file = QFileDialog::getSaveFileName(this, U("PDFに保存"), dir + "/" + U("分析結果.pdf"), "PDF (*.pdf)");
  if (file.isEmpty()) return;
  if (!file.endsWith(".pdf", Qt::CaseInsensitive)) file += ".pdf";
  tell(SaveAsPdf(PathFromUtf8(file.toStdString())));
}

Status TAllPrintForm::SaveAsPdf(const std::filesystem::path& file) {
  return prevX_->pages().WritePdf(file, prevX_->Title.isEmpty() ? windowTitle() : prevX_->Title);
}

void TAllPrintForm::closeEvent(QCloseEvent* e) {
  if (Status s = WriteGeometry(ini_, "Printlocate", WindowGeometry{y(), x(), width(), height()}); !s.ok())
    tell(Status::IoError(::zelkova::Sj("設定を保存できませんでした：") + s.message()));
  // The printer is left on A4 portrait; without one there is nothing to set.
  if (prevX_->hasPrinter()) (void)prevX_->SetPaper(QPageSize::A4, QPageLayout::Portrait);
  QDialog::closeEvent(e);
}

void RunAnalysisPrint(QWidget* parent, TIniGT& ini, Prompts* prompts, const std::string& dateSelectorText,
                      bool analysisShown, const RaceDay* day, const std::function<void(TAllPrintForm&)>& show) {
  if (TrimBlanks(dateSelectorText).empty() || !analysisShown || !day) {
    if (prompts) {
      prompts->beep();
      prompts->information(PrintNoDataMessage());
    }
    return;
  }
  const int n = RaceListCount(*day);
  if (n == 0) return;
  TAllPrintForm form(ini, prompts, parent);
  form.setWindowTitle(Q(AnalysisPrintCaption()));
  TPrevX* prev = form.PrevX1();
  prev->Title = Q(AnalysisPrintCaption());
  prev->pages().BeginPages();
  prev->pages().Draw(AnalysisPrint(*day, n));
  prev->pages().EndPages();
  prev->ShowPage(1);
  form.applyStoredZoom(true);
  if (show)
    show(form);
  else
    form.exec();
}

}  // namespace zelkova::gui
