#pragma once

#include <QImage>
#include <QString>

#include "competition/FinalsMode.h"
#include "reports/model/Report.h"

namespace zlt::competition {
class Competition;
class EventDetails;
}  // namespace zlt::competition

namespace zlt::reports {

// Everything a sheet shows besides its rows, as one plain value: the print path, the
// export, the served pages and zlt-event all fill a sheet from it, and so agree.
struct SheetOptions {
    int discipline = 1;      // 1 to 6, or 1 to 3 for a final discipline
    QString disciplineName;  // as the event's details name that discipline
    QString edition;
    QString place;
    bool confirmed = false;  // the details confirmed in this run
    bool penalties = false;  // once confirmed: the penalty column prints
    competition::FinalsMode finalsMode = competition::FinalsMode::Vynulovani;
    QImage stamp;
    // A page made without a grid lists its rows by what it shows (rowOrder); a printed
    // sheet follows the grid.
    bool ownOrder = false;
};

// The options as the competition stands: its details, its stamp once confirmed, its
// finals mode. The discipline and its name are the caller's.
SheetOptions currentOptions(competition::Competition& competition);
// The same for a page made without a grid to follow: the served pages, zlt-event.
SheetOptions optionsWithoutGrid(competition::Competition& competition);
// The name of the discipline the options hold, preliminary or final.
SheetOptions forDiscipline(SheetOptions options, const competition::EventDetails& details,
                           int discipline, bool finals);

// The five sheets, each over the rows given.
ReportDefinition disciplineSheet(db::ResultSet& rows, const SheetOptions& options);
ReportDefinition standingsSheet(db::ResultSet& rows, const SheetOptions& options);
ReportDefinition finalDisciplineSheet(db::ResultSet& rows, const SheetOptions& options);
ReportDefinition finalsStandingsSheet(db::ResultSet& rows, const SheetOptions& options);
ReportDefinition overallSheet(db::ResultSet& rows, const SheetOptions& options);

// The discipline sheet's penalty column: blank (a header of spaces over a field that names
// nothing) until the details are confirmed, then with or without the penalties.
struct PenaltyColumn {
    QString header;
    std::string field;
};
PenaltyColumn penaltyColumn(const SheetOptions& options);

// A heading of the event's edition as every sheet composes it: the text before, the
// edition number exactly as typed, ".Zeltoria", with nothing put between them.
inline QString editionHeading(const QString& before, const QString& edition) {
    return before + edition + QStringLiteral(".Zeltoria");
}

}  // namespace zlt::reports
