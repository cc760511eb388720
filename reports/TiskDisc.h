#pragma once

#include <QString>
#include <string>

#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of one discipline's results.
class TfrmTiskDisc : public reports::ReportHolder {
    Q_OBJECT
public:
    // The penalty column: blank (a header of spaces over a field that names nothing), or
    // the penalties with their header.
    void resetPenaltyColumn();
    void showPenaltyColumn();
    const QString& penaltyHeader() const { return penaltyHeader_; }
    const std::string& penaltyField() const { return penaltyField_; }

private:
    QString penaltyHeader_ = QString(11, QLatin1Char(' '));
    std::string penaltyField_ = " ";
};

extern TfrmTiskDisc* frmTiskDisc;

}  // namespace zlt
