#include "reports/DiplomTisk.h"

#include "reports/ReportHolder.h"

namespace zlt {

TfrmDiplomTisk::TfrmDiplomTisk() : QuickRep1(reports::diplomaSheet({}, {})) {}

// The paper's lie is the diplomas' own choice; its size and the printer stay as chosen.
void TfrmDiplomTisk::prepare(const std::vector<competition::DiplomaTeam>& teams,
                             const reports::DiplomaOptions& options) {
    reports::takeMade(QuickRep1, reports::diplomaSheet(teams, options));
    QuickRep1.page.landscape = options.landscape;
}

}  // namespace zlt
