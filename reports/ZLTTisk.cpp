#include "reports/ZLTTisk.h"

namespace zlt {

TfrmZLTTisk* frmZLTTisk = nullptr;

TfrmZLTTisk::TfrmZLTTisk(competition::Competition& competition)
    : ReportHolder(reports::standingsSheet, competition.preliminary(), competition) {}

}  // namespace zlt
