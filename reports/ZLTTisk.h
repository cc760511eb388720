#pragma once

#include "competition/Competition.h"
#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the preliminary-round standings, over the preliminary round's rows.
class TfrmZLTTisk : public reports::ReportHolder {
    Q_OBJECT
public:
    explicit TfrmZLTTisk(competition::Competition& competition);
    // The heading with the edition number, used while the details are confirmed.
    void headWithEdition(const QString& edition);
    // The sheet as the print choice and the published pages both show it.
    void prepare(const competition::EventDetails& details);
};

extern TfrmZLTTisk* frmZLTTisk;

}  // namespace zlt
