// PaintList: a recorded list of drawing operations in the producer's own units (0.1 mm for the
// print-out, pixels of a grid cell for the cards). Core code builds one; the GUI has one painter
// that replays it, and tests read it. Texts are CP932 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkova {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kSilver{192, 192, 192};

struct PaintFont {
  std::string name;  // CP932; empty = the painter's default fixed-pitch font
  double size = 9;   // points
  bool bold = false, italic = false, underline = false;
  friend bool operator==(const PaintFont&, const PaintFont&) = default;
};

enum class PenStyle { Solid, Dot, None };

struct PaintPen {
  int width = 1;  // in the list's units; 0 or 1 = the thinnest line
  Rgb colour = kBlack;
  PenStyle style = PenStyle::Solid;
  friend bool operator==(const PaintPen&, const PaintPen&) = default;
};

struct PaintOp {
  enum class Kind { Fill, Text, Line, Box };
  Kind kind = Kind::Fill;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // Text: the top-left corner at (x1, y1)
  std::string text;
  PaintFont font;
  Rgb colour = kBlack;  // Fill: the area; Text: the letters
  PaintPen pen;         // Line, Box
  bool brushClear = true;  // Box: no fill
  Rgb brush = kWhite;      // Box: the fill when brushClear is false
};

class PaintList {
 public:
  void Fill(int x1, int y1, int x2, int y2, Rgb colour) {
    PaintOp op;
    op.kind = PaintOp::Kind::Fill;
    op.x1 = x1, op.y1 = y1, op.x2 = x2, op.y2 = y2;
    op.colour = colour;
    ops_.push_back(std::move(op));
  }
  void Text(int x, int y, std::string text, const PaintFont& font, Rgb colour = kBlack) {
    PaintOp op;
    op.kind = PaintOp::Kind::Text;
    op.x1 = x, op.y1 = y;
    op.text = std::move(text);
    op.font = font;
    op.colour = colour;
    ops_.push_back(std::move(op));
  }
  void Line(int x1, int y1, int x2, int y2, const PaintPen& pen) {
    PaintOp op;
    op.kind = PaintOp::Kind::Line;
    op.x1 = x1, op.y1 = y1, op.x2 = x2, op.y2 = y2;
    op.pen = pen;
    ops_.push_back(std::move(op));
  }
  // A rectangle outlined with `pen`; filled with `brush` unless `brushClear`.
  void Box(int x1, int y1, int x2, int y2, const PaintPen& pen, bool brushClear, Rgb brush = kWhite) {
    PaintOp op;
    op.kind = PaintOp::Kind::Box;
    op.x1 = x1, op.y1 = y1, op.x2 = x2, op.y2 = y2;
    op.pen = pen;
    op.brushClear = brushClear;
    op.brush = brush;
    ops_.push_back(std::move(op));
  }

  const std::vector<PaintOp>& ops() const { return ops_; }
  bool empty() const { return ops_.empty(); }
  void clear() { ops_.clear(); }

 private:
  std::vector<PaintOp> ops_;
};

}  // namespace zelkova
