#include "gui/page_recorder.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <cmath>

#include "base/cp932.h"
#include "base/file_io.h"
#include "gui/paint_list_painter.h"

namespace zelkova::gui {

PageDevice PrinterDevice(const QPrinter& printer) {
  PageDevice d;
  d.dpiX = printer.logicalDpiX() > 0 ? printer.logicalDpiX() : printer.resolution();
  d.dpiY = printer.logicalDpiY() > 0 ? printer.logicalDpiY() : printer.resolution();
  d.paper = printer.paperRect(QPrinter::DevicePixel).toRect();
  d.printable = printer.pageRect(QPrinter::DevicePixel).toRect();
  d.isPrinter = true;
  return d;
}

PageDevice A4Device(int dpi) {
  PageDevice d;
  d.dpiX = d.dpiY = dpi;
  auto px = [dpi](double mm) { return static_cast<int>(std::lround(mm * dpi / 25.4)); };
  d.paper = QRect(0, 0, px(210), px(297));
  d.printable = QRect(px(5), px(5), px(200), px(287));
  return d;
}

void PageRecorder::BeginPages() {
  recordedFor_ = device_;
  pages_.assign(1, PaintList{});
  first_ = 1;
  last_ = 9999;
  penX_ = penY_ = 0;
}

int PageRecorder::ToX(int x) const {
  const double perInch = mapMode == MapMode::pmmHi ? 254.0 : 25.4;
  return static_cast<int>(std::lround((x + MarginLeft) * recordedFor_.dpiX / perInch));
}

int PageRecorder::ToY(int y) const {
  const double perInch = mapMode == MapMode::pmmHi ? 254.0 : 25.4;
  return static_cast<int>(std::lround((y + MarginTop) * recordedFor_.dpiY / perInch));
}

int PageRecorder::PenWidth(int w) const {
  return std::max(1, static_cast<int>(std::lround(w * recordedFor_.dpiY / (screenDpi_ * 10))));
}

PaintPen PageRecorder::devicePen() const {
  PaintPen p = pen;
  p.width = PenWidth(pen.width);
  return p;
}

void PageRecorder::TextAt(int x, int y, const std::string& text) {
  if (pages_.empty()) BeginPages();
  current().Text(ToX(x), ToY(y), text, font, textColour);
}

void PageRecorder::MoveTo(int x, int y) {
  penX_ = ToX(x);
  penY_ = ToY(y);
}

void PageRecorder::LineTo(int x, int y) {
  if (pages_.empty()) BeginPages();
  const int tx = ToX(x), ty = ToY(y);
  current().Line(penX_, penY_, tx, ty, devicePen());
  penX_ = tx;
  penY_ = ty;
}

void PageRecorder::Box(int x1, int y1, int x2, int y2) {
  if (pages_.empty()) BeginPages();
  current().Box(ToX(x1), ToY(y1), ToX(x2), ToY(y2), devicePen(), brushClear, brush);
}

void PageRecorder::Draw(const PaintList& list) {
  for (const PaintOp& op : list.ops()) {
    switch (op.kind) {
      case PaintOp::Kind::Text:
        font = op.font;
        textColour = op.colour;
        TextAt(op.x1, op.y1, op.text);
        break;
      case PaintOp::Kind::Line:
        pen = op.pen;
        MoveTo(op.x1, op.y1);
        LineTo(op.x2, op.y2);
        break;
      case PaintOp::Kind::Box:
        pen = op.pen;
        brushClear = op.brushClear;
        brush = op.brush;
        Box(op.x1, op.y1, op.x2, op.y2);
        break;
      case PaintOp::Kind::Fill:
        if (pages_.empty()) BeginPages();
        current().Fill(ToX(op.x1), ToY(op.y1), ToX(op.x2), ToY(op.y2), op.colour);
        break;
    }
  }
}

void PageRecorder::RenderPage(QPainter& painter, int n, double dpiX, double dpiY) const {
  if (n < 1 || n > pageCount()) return;
  painter.save();
  painter.scale(dpiX / recordedFor_.dpiX, dpiY / recordedFor_.dpiY);
  // Fonts were chosen at the recording printer's resolution.
  ReplayPaintList(painter, page(n), recordedFor_.dpiY);
  painter.restore();
}

Status PageRecorder::WritePdf(const std::filesystem::path& file, const QString& title) const {
  const std::string fail = Sj("PDFファイルを保存できませんでした：");
  if (pageCount() == 0) return Status::InvalidArgument(fail + Sj("印刷するページがありません。"));
  if (!file.has_parent_path() || !DirExists(file.parent_path()))
    return Status::IoError(fail + Sj("フォルダがありません：") + PathText(file.parent_path()));
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(600);
    writer.setTitle(title);
    writer.setCreator("Zelkova");
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) return Status::IoError(fail + "PDF");
    const int lastPage = std::min(pageCount(), last_);
    for (int n = first_; n <= lastPage; ++n) {
      if (n > first_) writer.newPage();
      RenderPage(painter, n, writer.resolution(), writer.resolution());
    }
    painter.end();
  }
  const QByteArray& bytes = buffer.data();
  if (Status s = WriteFileAtomic(file, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
      !s.ok())
    return Status::IoError(fail + s.message());
  return Status::Ok();
}

}  // namespace zelkova::gui
