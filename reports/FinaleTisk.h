#pragma once

#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the finals standings.
class TfrmZLTFinaleTisk : public reports::ReportHolder {
    Q_OBJECT
};

extern TfrmZLTFinaleTisk* frmZLTFinaleTisk;

}  // namespace zlt
