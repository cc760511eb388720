#pragma once

#include <string>

namespace zlt::test {

// A team list as a spreadsheet exports it, a line "N;Team number N" for each number from
// first to last: the wrong file of a new user when the numbers run to the hundred thousands.
inline std::string numberedTeams(int first, int last) {
    std::string list;
    for (int number = first; number <= last; ++number) {
        list += std::to_string(number) + ";Team number " + std::to_string(number) + "\n";
    }
    return list;
}

}  // namespace zlt::test
