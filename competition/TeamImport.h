#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zlt::db {
class ResultSet;
}

namespace zlt::competition {

// A list of teams as a spreadsheet saves or copies it: CSV or TSV, comma, semicolon or
// tab, UTF-8 with or without a BOM or Windows-1250, an optional header line, and either
// the columns number and name or the name alone.
struct TeamListEntry {
    int line = 0;               // in the text, from 1
    std::optional<int> number;  // none when the list has names only
    std::string name;           // UTF-8
};

struct TeamList {
    char separator = ';';
    enum class Encoding { Utf8, Utf8WithBom, Win1250 } encoding = Encoding::Utf8;
    bool header = false;
    std::vector<TeamListEntry> teams;
};

// Reads the list. A binary, empty or malformed text is refused (Refusal) with a Czech
// message naming the line.
TeamList readTeamList(std::string_view bytes);

// What the import will do to one row, for the preview.
struct ImportLine {
    int line = 0;          // in the text
    int number = 0;        // CISLO in the preliminary round; the position (from 1) in the finals
    std::string name;      // the new team name
    std::string replaced;  // the non-blank name it replaces; empty for none
    bool newRow = false;   // no row has this number or position yet
    std::vector<std::string> warnings;  // Czech; none when the line is fine
};

// Preliminary round: names go to DRUZSTVO by CISLO, names alone numbered 1, 2, ... in
// order. Finals: names go to DRUZSTVO of the rows in their current order, the number
// (when given) being the position. Nothing is written.
std::vector<ImportLine> planImport(const TeamList& list, const db::ResultSet& rows);

// The row each number goes to, in the rows' current order: by CISLO in the preliminary
// round, by position (from 1) in the finals. A number no row has gets an index past the
// last row: the rows to append, one for each such number, in the order of the numbers.
std::vector<int> rowsOfNumbers(const std::vector<int>& numbers, const db::ResultSet& rows);

// Why the name cannot be stored as a team name of these rows (too long, or a character
// Windows-1250 lacks), as a Czech sentence; none when it can.
std::optional<std::string> unstorableName(std::string_view name, const db::ResultSet& rows);

}  // namespace zlt::competition
