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

    // Fills the sheet for discipline 1 to 6 with its name and the edition number.
    void chooseDiscipline(int discipline, const QString& name, const QString& edition);
    // The sheet of discipline 1 to 6 as the event's details name it: the print choice and
    // the published pages both make it so.
    void prepare(const competition::EventDetails& details, int discipline);

    // The penalty column: blank (a header of spaces over a field that names nothing), or
    // the penalties with their header.
    void resetPenaltyColumn();
    void showPenaltyColumn();
    const QString& penaltyHeader() { return caption("QRLabel5"); }
    const std::string& penaltyField() { return QuickRep1.element("QRDBText4").dataField; }
};

extern TfrmTiskDisc* frmTiskDisc;

}  // namespace zlt
