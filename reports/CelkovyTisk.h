#pragma once

#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the overall standings.
class TfrmCelkovyTisk : public reports::ReportHolder {
    Q_OBJECT
};

extern TfrmCelkovyTisk* frmCelkovyTisk;

}  // namespace zlt
