#pragma once

#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the preliminary-round standings.
class TfrmZLTTisk : public reports::ReportHolder {
    Q_OBJECT
};

extern TfrmZLTTisk* frmZLTTisk;

}  // namespace zlt
