#pragma once

#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the finals standings, over the finals window's rows.
class TfrmZLTFinaleTisk : public reports::ReportHolder {
    Q_OBJECT
public:
    TfrmZLTFinaleTisk();
    // The finals mode hook: the starting-value column prints in continuation mode only.
    void showStartingValues(bool shown);
    // The heading and place line: edition-specific while the details are confirmed.
    void setHeadings(bool confirmed, const QString& edition, const QString& place);
};

extern TfrmZLTFinaleTisk* frmZLTFinaleTisk;

}  // namespace zlt
