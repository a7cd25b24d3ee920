// TGetDataForm: the batch download window (ＪＶデータ取込), shown modally by the main window.
#pragma once

class QWidget;

namespace zelkova {
struct AppContext;
namespace gui {

// Opens the batch download window modally; returns when it closes, true when it wrote any
// stored file. The caller rebuilds its date list afterwards.
bool OpenBatchDownload(QWidget* parent, AppContext& ctx);

}  // namespace gui
}  // namespace zelkova
