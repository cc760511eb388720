// Feeds arbitrary bytes to the team list reader: any file the operator picks must be read
// or refused in Czech, never crash or hang, and what is read must be fit for the plan.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "competition/Refusal.h"
#include "competition/TeamImport.h"
#include "text/Win1250.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    zlt::competition::TeamList list;
    try {
        list = zlt::competition::readTeamList(bytes);
    } catch (const zlt::competition::Refusal&) {
        return 0;
    }
    // No more teams than a table may hold.
    if (list.teams.size() > zlt::competition::kMostTeams) {
        __builtin_trap();
    }
    int previousLine = 0;
    for (const auto& team : list.teams) {
        // Each team on a later line than the one before, with a name and a number from 1
        // when it has one.
        if (team.line <= previousLine || team.name.empty() || (team.number && *team.number < 1)) {
            __builtin_trap();
        }
        // The name must be UTF-8: an invalid one throws, which ends the run as a crash.
        zlt::text::utf8Length(team.name);
        previousLine = team.line;
    }
    return 0;
}
