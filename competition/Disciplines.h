#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zlt::competition {

// How a discipline's results are read. Manual: the placings are typed by hand and the
// results are not read at all, which is how every discipline starts.
enum class ResultKind { Manual, Time, Distance, Points };

// One discipline's choice. A time is better when less, a distance or points when more;
// reversed turns that round (fewest faults). Teams without a result get no placing, or
// with lastWithout the shared place after every team with a result.
struct DisciplineRule {
    ResultKind kind = ResultKind::Manual;
    bool reversed = false;
    bool lastWithout = false;

    bool lessIsBetter() const { return (kind == ResultKind::Time) != reversed; }
    bool operator==(const DisciplineRule&) const = default;
};

// A discipline of either round: 1-6 in the preliminary round, 1-3 in the finals.
struct Discipline {
    bool finals = false;
    int number = 1;

    // "1" to "6", "F1" to "F3", as the command line and the file name them.
    std::string name() const;
    static std::optional<Discipline> named(std::string_view name);
    // DISCIPLINAn / FDISCIPLINAn, and BODn / FBODn.
    std::string resultField() const;
    std::string placingField() const;
    // "2. disciplína" or "2. disciplína finále", for sentences.
    std::string caption() const;
    bool operator==(const Discipline&) const = default;
};

// The nine disciplines in the order they are listed: 1-6, then F1-F3.
const std::array<Discipline, 9>& allDisciplines();

struct DisciplineRules {
    std::array<DisciplineRule, 6> preliminary{};
    std::array<DisciplineRule, 3> finals{};

    const DisciplineRule& of(const Discipline& discipline) const;
    DisciplineRule& of(const Discipline& discipline);
    bool operator==(const DisciplineRules&) const = default;
};

// One discipline's line as the file and `zlt-event disciplines` write it: "F1=body,posledni".
std::string ruleLine(const Discipline& discipline, const DisciplineRule& rule);
// Reads an assignment as typed on the command line or kept in the file; nullopt with a
// Czech reason in why when it is no assignment.
std::optional<std::pair<Discipline, DisciplineRule>> parseRuleLine(std::string_view line,
                                                                   std::string* why);

// Kept as EventChoice::Disciplines; comments after "#" and blank lines are passed over.
struct LoadedRules {
    DisciplineRules rules;
    // Empty when the file is missing (all manual) or read whole; else a Czech sentence
    // naming the file and its fault, and the rules are all manual.
    std::string problem;
};
LoadedRules loadDisciplineRules(const std::filesystem::path& folder);
// Written whole or not at all; a failure throws Refusal in Czech and keeps the old file.
void saveDisciplineRules(const std::filesystem::path& folder, const DisciplineRules& rules);

// A result as typed, read by the reader of its discipline's kind.
struct ReadResult {
    // The value compared: seconds, metres or points. None when there is no result, or
    // when it cannot be read (then problem says why).
    std::optional<double> value;
    // Empty, or a word for no result ("DNF", "nestartoval", "-", ...).
    bool withoutResult = false;
    // A Czech reason when the text is no result of this kind, e.g.
    // "„1:60“ není čas: sekund je víc než 59"; empty otherwise.
    std::string problem;

    bool readable() const { return problem.empty(); }
};

// The text is UTF-8 as the rows give it (at most the 14 characters of the field, but any
// length is read safely). Manual never reads anything: withoutResult for empty text, else
// a value-less readable result.
ReadResult readResult(ResultKind kind, std::string_view text);

}  // namespace zlt::competition
