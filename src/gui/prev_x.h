// TPrevX: the print preview control. It records pages (PageRecorder) for the printer's page,
// shows the page at ZoomScale percent and sends the pages to the printer. Without a printer
// installed it lays out for an A4 page, so the preview and PDF output still work; printing and
// changing the paper then fail with "プリンタが登録されていません".
#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QWidget>
#include <memory>

#include "base/status.h"
#include "gui/page_recorder.h"

class QPrinter;

namespace zelkova::gui {

class TPrevX : public QWidget {
  Q_OBJECT
 public:
  explicit TPrevX(QWidget* parent = nullptr);
  ~TPrevX() override;

  QString Title;  // print job title
  PageRecorder& pages() { return rec_; }
  const PageRecorder& pages() const { return rec_; }

  int ZoomScale() const { return zoom_; }
  // 25..200 percent; resizes the control to the scaled page.
  void setZoomScale(int percent);
  // Preview pixels per printer pixel: screen dpi / printer dpi (vertical) x zoom / 100.
  double scale() const;
  int shownPage() const { return shown_; }
  void ShowPage(int n);

  // The printer in use; null when none is installed.
  QPrinter* printer() const { return printer_.get(); }
  bool hasPrinter() const { return printer_ != nullptr; }
  // Lays out for `d` instead of the printer (tests; the page used without a printer).
  void setDevice(const PageDevice& d);
  // Takes the printer's page again (after the printer setup dialog changed it).
  void refreshDevice();

  // Sends pages first..min(count, last) to the printer, one per sheet.
  Status PrintPages();
  // Sets the printer's paper and orientation and repaints.
  Status SetPaper(QPageSize::PageSizeId size, QPageLayout::Orientation orientation);
  // The error without a printer.
  static Status NoPrinter();

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  PageRecorder rec_;
  std::unique_ptr<QPrinter> printer_;
  int zoom_ = 25;
  int shown_ = 1;
};

}  // namespace zelkova::gui
