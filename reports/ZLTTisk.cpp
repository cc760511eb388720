#include "reports/ZLTTisk.h"

namespace zlt {

TfrmZLTTisk* frmZLTTisk = nullptr;

}  // namespace zlt
