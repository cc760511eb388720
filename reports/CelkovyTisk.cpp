#include "reports/CelkovyTisk.h"

namespace zlt {

TfrmCelkovyTisk* frmCelkovyTisk = nullptr;

TfrmCelkovyTisk::TfrmCelkovyTisk(competition::Competition& competition)
    : ReportHolder(reports::overallSheet, competition.preliminary(), competition) {}

}  // namespace zlt
