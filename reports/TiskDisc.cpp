#include "reports/TiskDisc.h"

namespace zlt {

TfrmTiskDisc* frmTiskDisc = nullptr;

}  // namespace zlt
