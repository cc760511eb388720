#include "reports/FinaleTisk.h"

namespace zlt {

TfrmZLTFinaleTisk* frmZLTFinaleTisk = nullptr;

}  // namespace zlt
