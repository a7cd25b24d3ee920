#include "gui/get_data_form.h"

namespace zelkova::gui {

void OpenBatchDownload(QWidget*, AppContext&) {}

}  // namespace zelkova::gui
