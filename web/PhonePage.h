#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

#include "competition/EventDetails.h"
#include "competition/Standings.h"

namespace zlt::web {

// The page a spectator opens on a phone: the edition and the place, the round's title, the
// time of the last change and the standings in large type, the table scrolling sideways by
// itself on a narrow screen, with a link to every sheet's page. Every text is escaped.
// Provisional standings (the check found something in the round's rows) say so above the
// table, so that nobody takes them for final.
QString phonePage(const competition::EventDetails& details, competition::StandingsRound round,
                  const std::vector<competition::StandingLine>& lines, const QDateTime& lastChange,
                  bool provisional);

}  // namespace zlt::web
