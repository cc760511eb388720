#pragma once

#include "competition/Competition.h"
#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the finals standings, over the finals' rows; the finals mode chosen
// for the run decides whether it shows the starting values.
class TfrmZLTFinaleTisk : public reports::ReportHolder {
    Q_OBJECT
public:
    explicit TfrmZLTFinaleTisk(competition::Competition& competition);
    // The sheet as the competition now stands.
    void prepare(const competition::EventDetails&) { make(current()); }
};

extern TfrmZLTFinaleTisk* frmZLTFinaleTisk;

}  // namespace zlt
