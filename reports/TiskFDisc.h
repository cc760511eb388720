#pragma once

#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of one final discipline's results.
class TfrmTiskFDisc : public reports::ReportHolder {
    Q_OBJECT
};

extern TfrmTiskFDisc* frmTiskFDisc;

}  // namespace zlt
