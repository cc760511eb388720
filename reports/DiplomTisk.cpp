#include "reports/DiplomTisk.h"

#include "reports/ReportHolder.h"

namespace zlt {

TfrmDiplomTisk::TfrmDiplomTisk(const competition::EventDetails& details)
    : QuickRep1(reports::diplomaSheet({}, {})) {
    options_.stamp = details.seasonStamp();
    make();
    connect(&details, &competition::EventDetails::confirmed, this,
            [this, &details] { setStamp(details.seasonStamp()); });
}

void TfrmDiplomTisk::setStamp(const QImage& picture) {
    options_.stamp = picture;
    make();
}

void TfrmDiplomTisk::prepare(const competition::EventDetails& details,
                             const std::vector<competition::DiplomaTeam>& teams, bool landscape,
                             const QImage& background) {
    teams_ = teams;
    options_.edition = details.edition();
    options_.place = details.place();
    options_.landscape = landscape;
    options_.background = background;
    make();
}

// The paper's lie is the diplomas' own choice; its size and the printer stay as chosen.
void TfrmDiplomTisk::make() {
    reports::takeMade(QuickRep1, reports::diplomaSheet(teams_, options_));
    QuickRep1.page.landscape = options_.landscape;
}

}  // namespace zlt
