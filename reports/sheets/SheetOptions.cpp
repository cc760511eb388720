#include "competition/Competition.h"
#include "reports/sheets/Sheets.h"

namespace zlt::reports {

SheetOptions currentOptions(competition::Competition& competition) {
    const competition::EventDetails& details = competition.details();
    SheetOptions options;
    options.edition = details.edition();
    options.place = details.place();
    options.confirmed = details.Potvrzeno();
    options.penalties = details.penaltyShown();
    options.finalsMode = competition.finalsMode().mode();
    if (options.confirmed) {
        options.stamp = details.seasonStamp();
    }
    return options;
}

SheetOptions optionsWithoutGrid(competition::Competition& competition) {
    SheetOptions options = currentOptions(competition);
    options.ownOrder = true;
    return options;
}

SheetOptions forDiscipline(SheetOptions options, const competition::EventDetails& details,
                           int discipline, bool finals) {
    options.discipline = discipline;
    options.disciplineName =
        finals ? details.finalDisciplineName(discipline) : details.disciplineName(discipline);
    return options;
}

}  // namespace zlt::reports
