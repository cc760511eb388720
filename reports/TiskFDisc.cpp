#include "reports/TiskFDisc.h"

namespace zlt {

TfrmTiskFDisc* frmTiskFDisc = nullptr;

}  // namespace zlt
