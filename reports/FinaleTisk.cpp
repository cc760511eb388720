#include "reports/FinaleTisk.h"

namespace zlt {

TfrmZLTFinaleTisk* frmZLTFinaleTisk = nullptr;

TfrmZLTFinaleTisk::TfrmZLTFinaleTisk(competition::Competition& competition)
    : ReportHolder(reports::finalsStandingsSheet, competition.finals(), competition) {}

}  // namespace zlt
