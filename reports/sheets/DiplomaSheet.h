#pragma once

#include <QImage>
#include <QString>
#include <filesystem>
#include <optional>
#include <vector>

#include "competition/Diplomas.h"
#include "reports/model/Report.h"

namespace zlt::reports {

// What the diplomas show besides the teams: the edition, the event's place and date line,
// the paper's lie, the picture under them and the season's stamp.
struct DiplomaOptions {
    QString edition;
    QString place;
    bool landscape = true;
    QImage background;
    QImage stamp;
};

// One page for each team, in their order, with the edition, the team's place, its name,
// the event's place and the stamp, over the picture. The texts follow the paper as it
// lies, also when "Printer setup" turns it.
ReportDefinition diplomaSheet(const std::vector<competition::DiplomaTeam>& teams,
                              const DiplomaOptions& options);

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

}  // namespace zlt::reports
