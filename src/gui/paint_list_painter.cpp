#include "gui/paint_list_painter.h"

#include <QFont>
#include <QPainter>
#include <QPen>
#include <cmath>

#include "gui/qt_platform.h"

namespace zelkova::gui {

namespace {

QColor Colour(Rgb c) { return QColor(c.r, c.g, c.b); }

QPen Pen(const PaintPen& p) {
  if (p.style == PenStyle::None) return QPen(Qt::NoPen);
  QPen pen(Colour(p.colour));
  pen.setWidthF(std::max(p.width, 1));
  pen.setStyle(p.style == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

}  // namespace

QFont PaintListFont(const PaintFont& font, double unitsPerInch) {
  QFont f;
  QStringList families;
  if (!font.name.empty()) families << Q(font.name);
  // Where the named font is not installed (MS Gothic outside Windows), a Japanese fixed-pitch one.
  families << "IPAGothic" << QString::fromUtf8("IPAゴシック") << "Noto Sans Mono CJK JP" << "monospace";
  f.setFamilies(families);
  f.setStyleHint(QFont::TypeWriter);
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(font.size * unitsPerInch / 72.0))));
  f.setBold(font.bold);
  f.setItalic(font.italic);
  f.setUnderline(font.underline);
  return f;
}

QFont FixedPitchFont(int pixelSize) {
  PaintFont f;
  f.size = pixelSize * 72.0 / 96.0;
  return PaintListFont(f, 96.0);
}

void ReplayPaintList(QPainter& painter, const PaintList& list, double unitsPerInch) {
  painter.save();
  for (const PaintOp& op : list.ops()) {
    switch (op.kind) {
      case PaintOp::Kind::Fill:
        painter.fillRect(QRectF(op.x1, op.y1, op.x2 - op.x1, op.y2 - op.y1), Colour(op.colour));
        break;
      case PaintOp::Kind::Text: {
        painter.setFont(PaintListFont(op.font, unitsPerInch));
        painter.setPen(Colour(op.colour));
        painter.drawText(QRectF(op.x1, op.y1, 1e6, 1e6), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                         Q(op.text));
        break;
      }
      case PaintOp::Kind::Line:
        painter.setPen(Pen(op.pen));
        painter.drawLine(QPointF(op.x1, op.y1), QPointF(op.x2, op.y2));
        break;
      case PaintOp::Kind::Box:
        painter.setPen(Pen(op.pen));
        painter.setBrush(op.brushClear ? QBrush(Qt::NoBrush) : QBrush(Colour(op.brush)));
        painter.drawRect(QRectF(op.x1, op.y1, op.x2 - op.x1, op.y2 - op.y1));
        break;
    }
  }
  painter.restore();
}

}  // namespace zelkova::gui
