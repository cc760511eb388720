#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "competition/Refusal.h"

namespace zlt::db {
class ResultSet;
}

namespace zlt::competition {

// The most rows an import may leave in a table. A village games has some 30 teams; a list
// of thousands is the wrong file, and would make every grid refresh and every sheet crawl.
constexpr std::size_t kMostTeams = 500;
// The largest list read: a list of kMostTeams teams is a few kilobytes, and the text is
// held in memory whole while it is read.
constexpr std::uintmax_t kLargestTeamList = 16u << 20;

// A list refused for its size: too many bytes to be a list of teams, or more teams than a
// table may hold. The tools window shows it in place of the preview.
class OversizedList : public Refusal {
public:
    using Refusal::Refusal;
};

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
// message naming the line; one of more than kMostTeams teams (OversizedList) with their
// count. The text is read in passes over the bytes, which are held once.
TeamList readTeamList(std::string_view bytes);

// Refuses a list of this many bytes when it is over kLargestTeamList (OversizedList),
// naming the size; `what` is the list's subject in the message, "Soubor X" or the like.
void requireListSize(std::uintmax_t bytes, const std::string& what);

// Reads the list from a file, refusing one over kLargestTeamList by its size before
// reading it (OversizedList) and one that cannot be read (Refusal), naming the file.
TeamList readTeamListFile(const std::filesystem::path& file);

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
// (when given) being the position. Nothing is written. A list that would append rows past
// kMostTeams is refused, as rowsOfNumbers refuses it.
std::vector<ImportLine> planImport(const TeamList& list, const db::ResultSet& rows);

// The row each number goes to, in the rows' current order: by CISLO in the preliminary
// round, by position (from 1) in the finals. A number no row has gets an index past the
// last row: the rows to append, one for each such number, in the order of the numbers.
// Numbers that would append rows past kMostTeams are refused (OversizedList) with the
// count the table would have.
std::vector<int> rowsOfNumbers(const std::vector<int>& numbers, const db::ResultSet& rows);

// Why the name cannot be stored as a team name of these rows (too long, or a character
// Windows-1250 lacks), as a Czech sentence; none when it can.
std::optional<std::string> unstorableName(std::string_view name, const db::ResultSet& rows);

}  // namespace zlt::competition
