// PageRecorder: the page recording of the print preview. Drawing calls take coordinates in
// 0.1 mm (pmmHi) or mm (pmmLo) from the printable area's corner and record them converted to
// printer pixels, so a recorded page replays 1:1 on the printer and scaled on the screen or into
// a PDF. Texts are CP932.
#pragma once

#include <QRect>
#include <QString>
#include <filesystem>
#include <string>
#include <vector>

#include "base/paint_list.h"
#include "base/status.h"

class QPainter;
class QPrinter;

namespace zelkova::gui {

// The page a print is laid out for, in printer pixels.
struct PageDevice {
  int dpiX = 600, dpiY = 600;
  QRect paper;            // the physical page, at (0, 0)
  QRect printable;        // the printable area on it
  bool isPrinter = false;  // false: the A4 page used when no printer is installed
};

// The printer's resolution and page as it is set up now.
PageDevice PrinterDevice(const QPrinter& printer);
// An A4 portrait page at `dpi` with 5 mm margins: what PDF output and a machine without a
// printer lay out for.
PageDevice A4Device(int dpi = 600);

class PageRecorder {
 public:
  enum class MapMode { pmmHi, pmmLo };

  // Offsets added to every coordinate, in the map mode's units.
  int MarginLeft = 0, MarginTop = 0;
  MapMode mapMode = MapMode::pmmHi;
  // The canvas: what TextAt, LineTo and Box draw with. Font sizes are points; pen widths are
  // tenths of a screen pixel.
  PaintFont font;
  Rgb textColour = kBlack;
  PaintPen pen;
  bool brushClear = true;
  Rgb brush = kWhite;

  void setDevice(const PageDevice& d) { device_ = d; }
  const PageDevice& device() const { return device_; }
  // Screen pixels per inch, for pen widths.
  void setScreenDpi(double dpi) { screenDpi_ = dpi > 0 ? dpi : 96; }
  double screenDpi() const { return screenDpi_; }

  // Clears the pages and opens page 1; the print range becomes 1..9999.
  void BeginPages();
  void TextAt(int x, int y, const std::string& text);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Box(int x1, int y1, int x2, int y2);
  // Every operation of a core list (in the map mode's units), each with its own font and pen.
  void Draw(const PaintList& list);
  void EndPages() {}

  int pageCount() const { return static_cast<int>(pages_.size()); }
  // Page n (1-based), in printer pixels of the device it was recorded for.
  const PaintList& page(int n) const { return pages_.at(static_cast<size_t>(n - 1)); }
  const PageDevice& recordedFor() const { return recordedFor_; }
  int first() const { return first_; }
  int last() const { return last_; }
  void SetFirst(int n) {
    if (n >= 1 && n <= pageCount()) first_ = n;
  }
  void SetLast(int n) {
    if (n >= 1) last_ = n;
  }

  // Coordinate and pen conversions to printer pixels.
  int ToX(int x) const;
  int ToY(int y) const;
  int PenWidth(int w) const;

  // Draws page n on a painter whose unit is a pixel of dpiX x dpiY with the origin at the
  // printable area's corner.
  void RenderPage(QPainter& painter, int n, double dpiX, double dpiY) const;
  // Pages first..min(count, last) as an A4 PDF, written whole (nothing is left on failure).
  // The message is CP932.
  Status WritePdf(const std::filesystem::path& file, const QString& title) const;

 private:
  PaintList& current() { return pages_.back(); }
  PaintPen devicePen() const;

  PageDevice device_ = A4Device();
  PageDevice recordedFor_ = A4Device();
  double screenDpi_ = 96;
  std::vector<PaintList> pages_;
  int first_ = 1, last_ = 9999;
  int penX_ = 0, penY_ = 0;
};

}  // namespace zelkova::gui
