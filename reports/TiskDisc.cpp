#include "reports/TiskDisc.h"

namespace zlt {

TfrmTiskDisc* frmTiskDisc = nullptr;

TfrmTiskDisc::TfrmTiskDisc(competition::Competition& competition)
    : ReportHolder(reports::disciplineSheet, competition.preliminary(), competition) {}

void TfrmTiskDisc::prepare(const competition::EventDetails& details, int discipline) {
    make(reports::forDiscipline(current(), details, discipline, false));
}

}  // namespace zlt
