#pragma once

#include "reports/CelkovyTisk.h"
#include "reports/Export.h"
#include "reports/FinaleTisk.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/ZLTTisk.h"

namespace zlt::reports {

// The five sheets of a program that shows none of them (zlt-event's export, the served
// pages), each prepared as the print path prepares it.
struct OwnSheets {
    explicit OwnSheets(competition::Competition& competition)
        : disciplines(competition),
          standings(competition),
          finalDisciplines(competition),
          finalsStandings(competition),
          overall(competition) {}

    TfrmTiskDisc disciplines;
    TfrmZLTTisk standings;
    TfrmTiskFDisc finalDisciplines;
    TfrmZLTFinaleTisk finalsStandings;
    TfrmCelkovyTisk overall;
    SheetBook book{disciplines, standings, finalDisciplines, finalsStandings, overall};
};

}  // namespace zlt::reports
