#pragma once

#include "platform/DBNavigator.h"

namespace zlt::app {

// The navigator of both results grids: moving, inserting, deleting and cancelling, with
// hints that speak of teams.
void setUpTeamNavigator(platform::DBNavigator& navigator);

}  // namespace zlt::app
