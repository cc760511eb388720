#pragma once

#include <QString>
#include <string>

#include "competition/Competition.h"
#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of one preliminary discipline's results, over the preliminary round's rows.
class TfrmTiskDisc : public reports::ReportHolder {
    Q_OBJECT
public:
    explicit TfrmTiskDisc(competition::Competition& competition);

    // The sheet of discipline 1 to 6 as the event's details name it.
    void prepare(const competition::EventDetails& details, int discipline);

    // The penalty column as the sheet now prints it.
    QString penaltyHeader() const { return reports::penaltyColumn(options()).header; }
    std::string penaltyField() const { return reports::penaltyColumn(options()).field; }
};

extern TfrmTiskDisc* frmTiskDisc;

}  // namespace zlt
