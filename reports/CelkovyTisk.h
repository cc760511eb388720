#pragma once

#include "competition/Competition.h"
#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the overall standings, over the preliminary round's rows.
class TfrmCelkovyTisk : public reports::ReportHolder {
    Q_OBJECT
public:
    explicit TfrmCelkovyTisk(competition::Competition& competition);
    // The heading and place line: edition-specific while the details are confirmed.
    void setHeadings(bool confirmed, const QString& edition, const QString& place);
    // The sheet as the finals window and the published pages both show it.
    void prepare(const competition::EventDetails& details);
};

extern TfrmCelkovyTisk* frmCelkovyTisk;

}  // namespace zlt
