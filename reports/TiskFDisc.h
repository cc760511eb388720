#pragma once

#include "competition/Competition.h"
#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of one final discipline's results, over the finals' rows.
class TfrmTiskFDisc : public reports::ReportHolder {
    Q_OBJECT
public:
    explicit TfrmTiskFDisc(competition::Competition& competition);
    // The sheet of final discipline 1 to 3 as the event's details name it.
    void prepare(const competition::EventDetails& details, int discipline);
};

extern TfrmTiskFDisc* frmTiskFDisc;

}  // namespace zlt
