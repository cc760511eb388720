#include "reports/TiskFDisc.h"

namespace zlt {

TfrmTiskFDisc* frmTiskFDisc = nullptr;

TfrmTiskFDisc::TfrmTiskFDisc(competition::Competition& competition)
    : ReportHolder(reports::finalDisciplineSheet, competition.finals(), competition) {}

void TfrmTiskFDisc::prepare(const competition::EventDetails& details, int discipline) {
    make(reports::forDiscipline(current(), details, discipline, true));
}

}  // namespace zlt
