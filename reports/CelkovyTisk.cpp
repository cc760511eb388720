#include "reports/CelkovyTisk.h"

namespace zlt {

TfrmCelkovyTisk* frmCelkovyTisk = nullptr;

}  // namespace zlt
