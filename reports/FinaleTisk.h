#pragma once

#include "competition/Competition.h"
#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the finals standings, over the finals' rows.
class TfrmZLTFinaleTisk : public reports::ReportHolder {
    Q_OBJECT
public:
    explicit TfrmZLTFinaleTisk(competition::Competition& competition);
    // The finals mode hook: the starting-value column prints in continuation mode only.
    void showStartingValues(bool shown);
    // The heading and place line: edition-specific while the details are confirmed.
    void setHeadings(bool confirmed, const QString& edition, const QString& place);
    // The sheet as the finals window and the published pages both show it.
    void prepare(const competition::EventDetails& details);
};

extern TfrmZLTFinaleTisk* frmZLTFinaleTisk;

}  // namespace zlt
