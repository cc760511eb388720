#pragma once

#include "competition/Competition.h"
#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the overall standings, over the preliminary round's rows.
class TfrmCelkovyTisk : public reports::ReportHolder {
    Q_OBJECT
public:
    explicit TfrmCelkovyTisk(competition::Competition& competition);
    // The sheet as the competition now stands.
    void prepare(const competition::EventDetails&) { make(current()); }
};

extern TfrmCelkovyTisk* frmCelkovyTisk;

}  // namespace zlt
