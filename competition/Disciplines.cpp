#include "competition/Disciplines.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "competition/EventChoices.h"
#include "competition/TypedWords.h"
#include "database/FieldValue.h"

namespace zlt::competition {

std::string Discipline::name() const {
    std::string name = finals ? "F" : "";
    name += std::to_string(number);
    return name;
}

std::optional<Discipline> Discipline::named(std::string_view name) {
    const bool finals = !name.empty() && (name.front() == 'F' || name.front() == 'f');
    if (finals) {
        name.remove_prefix(1);
    }
    const char most = finals ? '3' : '6';
    if (name.size() != 1 || name.front() < '1' || name.front() > most) {
        return std::nullopt;
    }
    return Discipline{finals, name.front() - '0'};
}

std::string Discipline::resultField() const {
    std::string field = finals ? "FDISCIPLINA" : "DISCIPLINA";
    field += std::to_string(number);
    return field;
}

std::string Discipline::placingField() const {
    std::string field = finals ? "FBOD" : "BOD";
    field += std::to_string(number);
    return field;
}

std::string Discipline::caption() const {
    std::string caption = std::to_string(number);
    caption += ". disciplína";
    if (finals) {
        caption += " finále";
    }
    return caption;
}

const std::array<Discipline, 9>& allDisciplines() {
    static const std::array<Discipline, 9> disciplines{
        Discipline{false, 1}, Discipline{false, 2}, Discipline{false, 3},
        Discipline{false, 4}, Discipline{false, 5}, Discipline{false, 6},
        Discipline{true, 1},  Discipline{true, 2},  Discipline{true, 3}};
    return disciplines;
}

const DisciplineRule& DisciplineRules::of(const Discipline& discipline) const {
    return discipline.finals ? finals.at(discipline.number - 1)
                             : preliminary.at(discipline.number - 1);
}

DisciplineRule& DisciplineRules::of(const Discipline& discipline) {
    return discipline.finals ? finals.at(discipline.number - 1)
                             : preliminary.at(discipline.number - 1);
}

namespace {

// The words of the rule lines. The file is written without diacritics, so that any editor
// keeps it; read folded, "čas" or "OBRÁCENÉ" as an organiser may type them are read too.
constexpr const char* kTimeWord = "cas";
constexpr const char* kDistanceWord = "vzdalenost";
constexpr const char* kPointsWord = "body";
constexpr const char* kManualWord = "rucni";
constexpr const char* kReversedWord = "obracene";
constexpr const char* kLastWithoutWord = "posledni";

const char* wordOf(ResultKind kind) {
    switch (kind) {
        case ResultKind::Time:
            return kTimeWord;
        case ResultKind::Distance:
            return kDistanceWord;
        case ResultKind::Points:
            return kPointsWord;
        case ResultKind::Manual:
            break;
    }
    return kManualWord;
}

bool isWord(std::string_view text, const char* word) {
    return folded(text) == word;
}

// ---- The rule lines ----

std::vector<std::string_view> commaSeparated(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t comma; (comma = text.find(',')) != std::string_view::npos;) {
        parts.push_back(db::withoutBlanks(text.substr(0, comma)));
        text.remove_prefix(comma + 1);
    }
    parts.push_back(db::withoutBlanks(text));
    return parts;
}

std::optional<ResultKind> kindNamed(std::string_view word) {
    for (const ResultKind kind :
         {ResultKind::Time, ResultKind::Distance, ResultKind::Points, ResultKind::Manual}) {
        if (isWord(word, wordOf(kind))) {
            return kind;
        }
    }
    return std::nullopt;
}

// Sets the option the word names; false when it names none or one set already.
bool setOption(DisciplineRule& rule, std::string_view word, std::string* why) {
    bool* option = isWord(word, kReversedWord)      ? &rule.reversed
                   : isWord(word, kLastWithoutWord) ? &rule.lastWithout
                                                    : nullptr;
    if (option == nullptr) {
        *why = quotedText(word) + " není volba: platí " + kReversedWord + " a " + kLastWithoutWord +
               ".";
        return false;
    }
    if (*option) {
        *why = "Volba " + quotedText(word) + " je uvedena dvakrát.";
        return false;
    }
    *option = true;
    return true;
}

std::optional<std::pair<Discipline, DisciplineRule>> parsedRuleLine(std::string_view line,
                                                                    std::string* why) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        *why = quotedText(db::withoutBlanks(line)) + " není přiřazení: chybí „=“, např. 2=cas.";
        return std::nullopt;
    }
    const std::string_view name = db::withoutBlanks(line.substr(0, equals));
    const auto discipline = Discipline::named(name);
    if (!discipline) {
        *why = quotedText(name) + " není disciplína: platí 1 až 6 a F1 až F3.";
        return std::nullopt;
    }
    const std::vector<std::string_view> words = commaSeparated(line.substr(equals + 1));
    DisciplineRule rule;
    if (const auto kind = kindNamed(words.front())) {
        rule.kind = *kind;
    } else {
        *why = quotedText(words.front()) + " není druh výsledku: platí " + kTimeWord + ", " +
               kDistanceWord + ", " + kPointsWord + " a " + kManualWord + ".";
        return std::nullopt;
    }
    for (auto word = words.begin() + 1; word != words.end(); ++word) {
        if (!setOption(rule, *word, why)) {
            return std::nullopt;
        }
    }
    if (rule.kind == ResultKind::Manual && rule != DisciplineRule{}) {
        *why = std::string("Ruční disciplína nemá volby: umístění se v ní zapisují ručně.");
        return std::nullopt;
    }
    return std::pair{*discipline, rule};
}

// ---- The file ----

constexpr const char* kAllManual = " Všechny disciplíny se proto berou jako ruční.";

// The rules of the file's lines, or the Czech reason they are none.
std::optional<DisciplineRules> rulesOfLines(const std::vector<std::string>& lines,
                                            std::string* problem) {
    DisciplineRules rules;
    std::array<std::size_t, 9> setOnLine{};
    for (std::size_t at = 0; at < lines.size(); ++at) {
        const std::size_t number = at + 1;
        const std::string_view line =
            db::withoutBlanks(std::string_view(lines[at]).substr(0, lines[at].find('#')));
        if (line.empty()) {
            continue;
        }
        std::string why;
        const auto assignment = parsedRuleLine(line, &why);
        if (!assignment) {
            *problem = damagedLine(EventChoice::Disciplines, number, why);
            return std::nullopt;
        }
        const auto& [discipline, rule] = *assignment;
        std::size_t& earlier = setOnLine[(discipline.finals ? 6 : 0) + discipline.number - 1];
        if (earlier != 0) {
            *problem = damagedLine(EventChoice::Disciplines, number,
                                   "disciplína " + discipline.name() + " je uvedena už na řádku " +
                                       std::to_string(earlier) + ".");
            return std::nullopt;
        }
        earlier = number;
        rules.of(discipline) = rule;
    }
    return rules;
}

}  // namespace

std::string ruleLine(const Discipline& discipline, const DisciplineRule& rule) {
    std::string line = discipline.name();
    line += '=';
    line += wordOf(rule.kind);
    if (rule.reversed) {
        line += ',';
        line += kReversedWord;
    }
    if (rule.lastWithout) {
        line += ',';
        line += kLastWithoutWord;
    }
    return line;
}

std::optional<std::pair<Discipline, DisciplineRule>> parseRuleLine(std::string_view line,
                                                                   std::string* why) {
    std::string reason;
    auto assignment = parsedRuleLine(line, &reason);
    if (why != nullptr) {
        *why = std::move(reason);
    }
    return assignment;
}

LoadedRules loadDisciplineRules(const std::filesystem::path& folder) {
    const KeptChoice kept = readChoice(folder, EventChoice::Disciplines);
    LoadedRules loaded{{}, kept.problem};
    if (kept.damaged()) {
        loaded.problem += kAllManual;
    } else if (auto rules = rulesOfLines(kept.lines, &loaded.problem)) {
        loaded.rules = *rules;
    } else {
        loaded.problem += kAllManual;
    }
    return loaded;
}

void saveDisciplineRules(const std::filesystem::path& folder, const DisciplineRules& rules) {
    std::vector<std::string> lines;
    for (const Discipline& discipline : allDisciplines()) {
        if (rules.of(discipline) != DisciplineRule{}) {
            lines.push_back(ruleLine(discipline, rules.of(discipline)));
        }
    }
    keepChoice(folder, EventChoice::Disciplines, lines);
}

}  // namespace zlt::competition
