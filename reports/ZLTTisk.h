#pragma once

#include "competition/Competition.h"
#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the preliminary-round standings, over the preliminary round's rows.
class TfrmZLTTisk : public reports::ReportHolder {
    Q_OBJECT
public:
    explicit TfrmZLTTisk(competition::Competition& competition);
    // The sheet as the competition now stands.
    void prepare(const competition::EventDetails&) { make(current()); }
};

extern TfrmZLTTisk* frmZLTTisk;

}  // namespace zlt
