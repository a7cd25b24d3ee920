#include "gui/prev_x.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

#include "output/analysis_print.h"

namespace zelkova::gui {

namespace {
constexpr int kBorder = 10;  // preview pixels around the page
}

TPrevX::TPrevX(QWidget* parent) : QWidget(parent) {
  setObjectName("PrevX1");
  rec_.setScreenDpi(logicalDpiY());
  if (!QPrinterInfo::availablePrinters().isEmpty()) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    rec_.setDevice(PrinterDevice(*printer_));
  } else {
    rec_.setDevice(A4Device());
  }
  resize(sizeHint());
}

TPrevX::~TPrevX() = default;

Status TPrevX::NoPrinter() { return Status::IoError(NoPrinterMessage()); }

void TPrevX::setDevice(const PageDevice& d) {
  rec_.setDevice(d);
  updateGeometry();
  resize(sizeHint());
  update();
}

void TPrevX::refreshDevice() {
  if (printer_) setDevice(PrinterDevice(*printer_));
}

void TPrevX::setZoomScale(int percent) {
  zoom_ = std::clamp(percent, 25, 200);
  updateGeometry();
  resize(sizeHint());
  update();
}

double TPrevX::scale() const { return rec_.screenDpi() / rec_.device().dpiY * zoom_ / 100.0; }

void TPrevX::ShowPage(int n) {
  if (n < 1 || n > rec_.pageCount()) return;
  shown_ = n;
  update();
}

QSize TPrevX::sizeHint() const {
  const QRect& paper = rec_.device().paper;
  const double s = scale();
  return QSize(static_cast<int>(paper.width() * s) + 2 * kBorder, static_cast<int>(paper.height() * s) + 2 * kBorder);
}

void TPrevX::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const PageDevice& d = rec_.device();
  const double s = scale();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(kBorder, kBorder, d.paper.width() * s, d.paper.height() * s));
  const QRectF printable(kBorder + d.printable.x() * s, kBorder + d.printable.y() * s, d.printable.width() * s,
                         d.printable.height() * s);
  p.setPen(QPen(Qt::black, 1, Qt::DotLine));
  p.setBrush(Qt::NoBrush);
  p.drawRect(printable);
  if (shown_ < 1 || shown_ > rec_.pageCount()) return;
  p.save();
  p.translate(printable.topLeft());
  p.scale(s, s);
  rec_.RenderPage(p, shown_, d.dpiX, d.dpiY);
  p.restore();
}

Status TPrevX::PrintPages() {
  if (!printer_) return NoPrinter();
  printer_->setDocName(Title);
  QPainter p;
  if (!p.begin(printer_.get())) return Status::IoError(NoPrinterMessage());
  const int last = std::min(rec_.pageCount(), rec_.last());
  for (int n = rec_.first(); n <= last; ++n) {
    if (n > rec_.first()) printer_->newPage();
    rec_.RenderPage(p, n, printer_->logicalDpiX(), printer_->logicalDpiY());
  }
  p.end();
  return Status::Ok();
}

Status TPrevX::SetPaper(QPageSize::PageSizeId size, QPageLayout::Orientation orientation) {
  if (!printer_) return NoPrinter();
  printer_->setPageSize(QPageSize(size));
  printer_->setPageOrientation(orientation);
  refreshDevice();
  return Status::Ok();
}

}  // namespace zelkova::gui
