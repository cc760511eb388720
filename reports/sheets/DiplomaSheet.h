#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <array>
#include <filesystem>
#include <optional>
#include <vector>

#include "competition/Diplomas.h"
#include "competition/EventDetails.h"
#include "reports/model/Report.h"

namespace zlt::reports {

// What the diplomas show besides the teams: the edition, the standings the places are in,
// the event's place and date line, the paper's lie, the picture under them, the season's
// stamp and the captions of the lines to sign, left and right (an empty one has no line).
struct DiplomaOptions {
    QString edition;
    QString place;
    QString standings;
    bool landscape = true;
    QImage background;
    QImage stamp;
    std::array<QString, 2> signatures;
};

// The captions the layout puts under the lines to sign; none without signatures.
std::array<QString, 2> signatureCaptions(const competition::DiplomaLayout& layout);

// One page for each team, in their order, inside a double frame: the edition, the team's
// place and the standings it is in, its name, the event's place, the stamp and the lines
// to sign, over the picture. The texts follow the paper as it lies, also when "Printer
// setup" turns it.
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

// The season's stamp as far as the diplomas' stamp box shows it, for every path that
// prints diplomas: the season is the one the settings file holds, confirmed in this run or
// not, so that diplomas never lack the stamp only because nobody confirmed the settings
// today. When the settings file or the stamp cannot be read: no picture and a Czech
// sentence naming the file.
struct DiplomaStamp {
    QImage picture;
    QString problem;
};
DiplomaStamp readDiplomaStamp();

// What the diplomas show besides the teams, the same whichever path prints them: the
// details' texts as they stand, the round's standings, the layout's lines to sign, and the
// picture and the stamp as the event folder holds them now. What cannot be read is added to
// the problems, one Czech sentence each, and the diplomas print without it.
DiplomaOptions diplomaOptions(const competition::EventDetails& details,
                              competition::DiplomaRound round, bool landscape,
                              const competition::DiplomaLayout& layout, QStringList& problems);

}  // namespace zlt::reports
