#pragma once

#include <QImage>
#include <QString>
#include <filesystem>
#include <vector>

#include "competition/Diplomas.h"
#include "competition/EventDetails.h"
#include "reports/ReportHolder.h"

namespace zlt {

// Holds the diplomas: one page for each team, with the edition, the team's place, its
// name, the event's place and date and the season's stamp, over an optional picture.
// The page lies across, or upright when chosen; the texts follow the paper as it lies,
// also when "Printer setup" turns it.
class TfrmDiplomTisk : public reports::ReportHolder {
    Q_OBJECT
public:
    // The stamp is the season's as confirmed, and follows later confirmations.
    explicit TfrmDiplomTisk(const competition::EventDetails& details);

    // The diplomas of the teams, in their order, from the details as they stand.
    void prepare(const competition::EventDetails& details,
                 const std::vector<competition::DiplomaTeam>& teams, bool landscape,
                 const QImage& background);
};

namespace reports {

// What a diploma says a team won: "za 1. místo", or "za účast" without a place.
QString diplomaPlaceText(const std::optional<int>& place);

// The picture under the diplomas, read within the JPEG loader's bounds and made no larger
// than a page needs. A missing file is no picture and no problem; one that cannot be read
// gives no picture and a problem in Czech, naming the file, for the operator to read
// before the diplomas print without it.
struct DiplomaBackground {
    QImage picture;
    QString problem;
};
DiplomaBackground readDiplomaBackground(const std::filesystem::path& file);

// The season's stamp picture as far as the diplomas' stamp box shows it; throws the
// picture loader's error when it cannot be read.
QImage readDiplomaStamp(const std::filesystem::path& file);

}  // namespace reports
}  // namespace zlt
