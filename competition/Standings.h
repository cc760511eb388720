#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "competition/EventDetails.h"

namespace zlt::db {
class ResultSet;
}  // namespace zlt::db

namespace zlt::competition {

// The standings that the results are shown in away from the judges' table: the projector
// and the spectators' pages.
enum class StandingsRound { Preliminary, Finals, Overall };

// One team in the standings: its place ("3.", or blank), its name and its totals.
struct StandingLine {
    QString place;
    QString team;
    QStringList totals;
    bool operator==(const StandingLine&) const = default;
};

// The named teams of the rows, in the round's standings: written ranks first; teams scored
// since the ranks were written follow by their totals, lowest first, sharing places with
// equal totals; teams with neither come last. The overall standings show the preliminary
// and the finals totals.
std::vector<StandingLine> standingsOf(const db::ResultSet& rows, StandingsRound round);

class CommittedRows;

// The standings from the rows the database has committed (updated first): the rows of the
// grids may hold one still being typed.
std::vector<StandingLine> readStandings(CommittedRows& committed, StandingsRound round);

// The round in progress: the finals once a finalist has a total or a rank, else the
// preliminary round.
StandingsRound roundInProgress(const db::ResultSet& finals);

// "Základní část – průběžné pořadí", "Finále – pořadí", "Celkové pořadí".
QString standingsTitle(StandingsRound round);

// "12. Zeltoria – Horní Dolní": the edition and the place as far as they are filled in.
QString eventHeading(const EventDetails& details);

}  // namespace zlt::competition
