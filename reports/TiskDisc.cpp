#include "reports/TiskDisc.h"

namespace zlt {

TfrmTiskDisc* frmTiskDisc = nullptr;

void TfrmTiskDisc::resetPenaltyColumn() {
    penaltyHeader_ = QString(11, QLatin1Char(' '));
    penaltyField_ = " ";
}

void TfrmTiskDisc::showPenaltyColumn() {
    penaltyHeader_ = QStringLiteral("Penalizace");
    penaltyField_ = "PENALIZACE";
}

}  // namespace zlt
