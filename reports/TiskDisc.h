#pragma once

#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of one discipline's results.
class TfrmTiskDisc : public reports::ReportHolder {
    Q_OBJECT
};

extern TfrmTiskDisc* frmTiskDisc;

}  // namespace zlt
