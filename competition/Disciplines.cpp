#include "competition/Disciplines.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "competition/EventFiles.h"

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
// keeps it; the Czech spellings are read too, as an organiser may type them.
struct Word {
    const char* written;
    const char* czech;
};
constexpr Word kTimeWord{"cas", "čas"};
constexpr Word kDistanceWord{"vzdalenost", "vzdálenost"};
constexpr Word kPointsWord{"body", "body"};
constexpr Word kManualWord{"rucni", "ruční"};
constexpr Word kReversedWord{"obracene", "obrácené"};
constexpr Word kLastWithoutWord{"posledni", "poslední"};

const Word& wordOf(ResultKind kind) {
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

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The Czech letters folded to their plain lower-case letter, so that "NEDOKONČIL",
// "nedokončil" and "nedokoncil" are one word.
constexpr std::pair<std::string_view, char> kCzechLetters[] = {
    {"á", 'a'}, {"Á", 'a'}, {"č", 'c'}, {"Č", 'c'}, {"ď", 'd'}, {"Ď", 'd'}, {"é", 'e'}, {"É", 'e'},
    {"ě", 'e'}, {"Ě", 'e'}, {"í", 'i'}, {"Í", 'i'}, {"ň", 'n'}, {"Ň", 'n'}, {"ó", 'o'}, {"Ó", 'o'},
    {"ř", 'r'}, {"Ř", 'r'}, {"š", 's'}, {"Š", 's'}, {"ť", 't'}, {"Ť", 't'}, {"ú", 'u'}, {"Ú", 'u'},
    {"ů", 'u'}, {"Ů", 'u'}, {"ý", 'y'}, {"Ý", 'y'}, {"ž", 'z'}, {"Ž", 'z'}};

// The text folded as above; bytes of other letters are kept as they are.
std::string folded(std::string_view text) {
    std::string plain;
    while (!text.empty()) {
        if (static_cast<unsigned char>(text.front()) < 0x80) {
            plain += asciiLower(text.front());
            text.remove_prefix(1);
            continue;
        }
        const auto letter =
            std::find_if(std::begin(kCzechLetters), std::end(kCzechLetters),
                         [&](const auto& czech) { return text.starts_with(czech.first); });
        if (letter != std::end(kCzechLetters)) {
            plain += letter->second;
            text.remove_prefix(letter->first.size());
        } else {
            plain += text.front();
            text.remove_prefix(1);
        }
    }
    return plain;
}

bool isWord(std::string_view text, const Word& word) {
    return folded(text) == word.written;
}

// The length of the UTF-8 sequence at the start, 0 when it is none.
std::size_t sequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || length > text.size()) {
        return 0;
    }
    for (std::size_t at = 1; at < length; ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

bool isUtf8(std::string_view text) {
    while (!text.empty()) {
        const std::size_t length = sequenceLength(text);
        if (length == 0) {
            return false;
        }
        text.remove_prefix(length);
    }
    return true;
}

// A text as a message quotes it: valid UTF-8 (a byte that is none shows as "?") and cut
// short when long, so that a field of garbage still makes a readable sentence.
std::string quotedText(std::string_view text) {
    constexpr int kMostCharacters = 20;
    std::string quote = "„";
    for (int characters = 0; !text.empty(); ++characters) {
        if (characters == kMostCharacters) {
            quote += "…";
            break;
        }
        const std::size_t length = sequenceLength(text);
        quote += length == 0 ? std::string_view("?") : text.substr(0, length);
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return quote + "“";
}

// ---- The rule lines ----

std::vector<std::string_view> commaSeparated(std::string_view text) {
    std::vector<std::string_view> parts;
    for (std::size_t comma; (comma = text.find(',')) != std::string_view::npos;) {
        parts.push_back(trimmed(text.substr(0, comma)));
        text.remove_prefix(comma + 1);
    }
    parts.push_back(trimmed(text));
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
        *why = quotedText(word) + " není volba: platí " + kReversedWord.written + " a " +
               kLastWithoutWord.written + ".";
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
        *why = quotedText(trimmed(line)) + " není přiřazení: chybí „=“, např. 2=cas.";
        return std::nullopt;
    }
    const std::string_view name = trimmed(line.substr(0, equals));
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
        *why = quotedText(words.front()) + " není druh výsledku: platí " + kTimeWord.written +
               ", " + kDistanceWord.written + ", " + kPointsWord.written + " a " +
               kManualWord.written + ".";
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

// A choices file is a dozen short lines; anything much bigger is not one.
constexpr std::uintmax_t kLargestFile = 16 * 1024;

std::string problemOf(std::size_t line, const std::string& why) {
    std::string problem = "Soubor ";
    problem += kDisciplinesFile;
    problem += ", řádek ";
    problem += std::to_string(line);
    problem += ": ";
    problem += why;
    return problem;
}

std::string wholeFileProblem(const std::string& why) {
    std::string problem = "Soubor ";
    problem += kDisciplinesFile;
    problem += ' ';
    problem += why;
    return problem;
}

constexpr const char* kAllManual = " Všechny disciplíny se proto berou jako ruční.";

std::vector<std::string_view> linesOf(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find('\n'), bytes.size());
        std::string_view line = bytes.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
    }
    return lines;
}

// The rules of the file's bytes, or the Czech reason they are none.
std::optional<DisciplineRules> rulesOfBytes(std::string_view bytes, std::string* problem) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kByteOrderMark)) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    DisciplineRules rules;
    std::array<std::size_t, 9> setOnLine{};
    const std::vector<std::string_view> lines = linesOf(bytes);
    for (std::size_t at = 0; at < lines.size(); ++at) {
        const std::size_t number = at + 1;
        if (!isUtf8(lines[at])) {
            *problem = problemOf(number, "text není v kódování UTF-8.");
            return std::nullopt;
        }
        const std::string_view line = trimmed(lines[at].substr(0, lines[at].find('#')));
        if (line.empty()) {
            continue;
        }
        std::string why;
        const auto assignment = parsedRuleLine(line, &why);
        if (!assignment) {
            *problem = problemOf(number, why);
            return std::nullopt;
        }
        const auto& [discipline, rule] = *assignment;
        std::size_t& earlier = setOnLine[(discipline.finals ? 6 : 0) + discipline.number - 1];
        if (earlier != 0) {
            *problem =
                problemOf(number, "disciplína " + discipline.name() + " je uvedena už na řádku " +
                                      std::to_string(earlier) + ".");
            return std::nullopt;
        }
        earlier = number;
        rules.of(discipline) = rule;
    }
    return rules;
}

// ---- The readers ----

// The words an organiser writes for a team without a result, folded.
constexpr std::string_view kWithoutResultWords[] = {
    "dnf", "nedokoncil", "dns", "nestartoval", "np", "dsq", "diskvalifikace", "-"};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isWithoutResultWord(std::string_view text) {
    // Results start with a digit and no such word does; most texts are results.
    if (isDigit(text.front())) {
        return false;
    }
    return std::find(std::begin(kWithoutResultWords), std::end(kWithoutResultWords),
                     folded(text)) != std::end(kWithoutResultWords);
}

bool isNumberCharacter(char c) {
    return isDigit(c) || c == ',' || c == '.' || c == ':';
}

// Values are kept exactly, in millionths of their unit, so that equal texts ("83,4",
// "1:23,4") compare equal; a double carries them only out of the reader.
using Millionths = std::int64_t;
constexpr Millionths kMillion = 1'000'000;
constexpr int kMostIntegerDigits = 9;
constexpr int kMostDecimals = 6;
// Results of a billion seconds, metres or points are typing errors.
constexpr Millionths kBeyondSane = 1'000'000'000 * kMillion;

struct Reading {
    std::optional<Millionths> value;
    std::string why;  // empty when read
};

Reading refused(std::string why) {
    return {std::nullopt, std::move(why)};
}

// Where the decimal comma or point is, npos without one. A plain loop: the library's
// find_first_of searches the two characters for every character of the text.
std::size_t decimalSeparatorIn(std::string_view text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == ',' || text[at] == '.') {
            return at;
        }
    }
    return std::string_view::npos;
}

// A decimal number: digits, and at most one decimal comma or point followed by digits.
Reading decimalOf(std::string_view text) {
    const std::size_t separator = decimalSeparatorIn(text);
    const std::string_view whole = text.substr(0, separator);
    const std::string_view decimals =
        separator == std::string_view::npos ? std::string_view() : text.substr(separator + 1);
    if (decimalSeparatorIn(decimals) != std::string_view::npos) {
        return refused("číslo má víc desetinných čárek");
    }
    if (whole.empty()) {
        return refused(separator == std::string_view::npos
                           ? "chybí číslo"
                           : "před desetinnou čárkou chybí číslice");
    }
    if (separator != std::string_view::npos && decimals.empty()) {
        return refused("za desetinnou čárkou chybí číslice");
    }
    const std::string_view significant =
        whole.substr(std::min(whole.find_first_not_of('0'), whole.size() - 1));
    if (significant.size() > kMostIntegerDigits) {
        return refused("číslo je mimo rozumný rozsah");
    }
    if (decimals.size() > kMostDecimals) {
        return refused("číslo má víc než " + std::to_string(kMostDecimals) + " desetinných míst");
    }
    Millionths value = 0;
    for (const char digit : significant) {
        value = value * 10 + (digit - '0');
    }
    value *= kMillion;
    Millionths unit = kMillion;
    for (const char digit : decimals) {
        unit /= 10;
        value += (digit - '0') * unit;
    }
    return {value, {}};
}

// m:ss or h:mm:ss, each part after a colon two digits below 60; a decimal part only on
// the seconds.
Reading timeOf(std::string_view text) {
    constexpr std::size_t kMostParts = 3;
    if (std::count(text.begin(), text.end(), ':') >= static_cast<long>(kMostParts)) {
        return refused("čas má nejvýš dvě dvojtečky (h:mm:ss)");
    }
    std::array<std::string_view, kMostParts> parts;
    std::size_t count = 0;
    for (std::size_t colon; (colon = text.find(':')) != std::string_view::npos;) {
        parts[count++] = text.substr(0, colon);
        text.remove_prefix(colon + 1);
    }
    parts[count++] = text;
    Millionths total = 0;
    for (std::size_t at = 0; at < count; ++at) {
        const bool seconds = at + 1 == count;
        const std::string_view part = parts[at];
        if (part.empty()) {
            return refused("u dvojtečky chybí číslice");
        }
        if (!seconds && decimalSeparatorIn(part) != std::string_view::npos) {
            return refused("desetinná čárka patří jen k sekundám");
        }
        if (at > 0 && part.substr(0, decimalSeparatorIn(part)).size() != 2) {
            return refused("po dvojtečce patří dvě číslice");
        }
        Reading read = decimalOf(part);
        if (!read.value) {
            return read;
        }
        if (at > 0 && *read.value >= 60 * kMillion) {
            return refused(seconds ? "sekund je víc než 59" : "minut je víc než 59");
        }
        total = total * 60 + *read.value;
        if (total >= kBeyondSane) {
            return refused("čas je mimo rozumný rozsah");
        }
    }
    return {total, {}};
}

struct KindWords {
    const char* noun;  // "„x“ není <noun>"
    const char* units;
};

KindWords wordsOf(ResultKind kind) {
    switch (kind) {
        case ResultKind::Time:
            return {"čas", "jednotka času je jen s"};
        case ResultKind::Distance:
            return {"vzdálenost", "jednotka vzdálenosti je m nebo cm"};
        default:
            return {"počet bodů", "body se píší bez jednotky"};
    }
}

// The unit without blanks, folded: "", "s", "m", "cm".
std::string unitOf(std::string_view text) {
    std::string unit;
    std::copy_if(text.begin(), text.end(), std::back_inserter(unit),
                 [](char c) { return !isBlank(c); });
    return folded(unit);
}

Reading valueOf(ResultKind kind, std::string_view number, std::string_view unitText) {
    if (number.empty()) {
        return refused("chybí číslo");
    }
    const std::string unit = unitOf(unitText);
    const bool centimetres = kind == ResultKind::Distance && unit == "cm";
    const bool unitFits = unit.empty() || (kind == ResultKind::Time && unit == "s") ||
                          (kind == ResultKind::Distance && unit == "m") || centimetres;
    if (!unitFits) {
        return refused(quotedText(trimmed(unitText)) + " nepatří k výsledku, " +
                       wordsOf(kind).units);
    }
    if (kind == ResultKind::Time) {
        return timeOf(number);
    }
    if (number.find(':') != std::string_view::npos) {
        return refused(std::string("dvojtečka patří jen k času"));
    }
    Reading read = decimalOf(number);
    if (read.value && centimetres) {
        if (*read.value % 100 != 0) {
            return refused("centimetry mají víc než " + std::to_string(kMostDecimals - 2) +
                           " desetinná místa");
        }
        *read.value /= 100;
    }
    return read;
}

Reading readingOf(ResultKind kind, std::string_view text) {
    if (text.starts_with('-')) {
        return refused("výsledek nemůže být záporný");
    }
    const std::size_t numberEnd =
        std::find_if_not(text.begin(), text.end(), isNumberCharacter) - text.begin();
    return valueOf(kind, text.substr(0, numberEnd), text.substr(numberEnd));
}

}  // namespace

ReadResult readResult(ResultKind kind, std::string_view text) {
    text = trimmed(text);
    ReadResult read;
    if (text.empty() || (kind != ResultKind::Manual && isWithoutResultWord(text))) {
        read.withoutResult = true;
        return read;
    }
    if (kind == ResultKind::Manual) {
        return read;
    }
    const Reading reading = readingOf(kind, text);
    if (reading.value) {
        read.value = static_cast<double>(*reading.value) / static_cast<double>(kMillion);
    } else {
        read.problem = quotedText(text) + " není " + wordsOf(kind).noun + ": " + reading.why;
    }
    return read;
}

std::string ruleLine(const Discipline& discipline, const DisciplineRule& rule) {
    std::string line = discipline.name();
    line += '=';
    line += wordOf(rule.kind).written;
    if (rule.reversed) {
        line += ',';
        line += kReversedWord.written;
    }
    if (rule.lastWithout) {
        line += ',';
        line += kLastWithoutWord.written;
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
    const std::filesystem::path file = folder / kDisciplinesFile;
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return {};
    }
    LoadedRules loaded;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) {
        loaded.problem = wholeFileProblem("nelze přečíst.") + kAllManual;
        return loaded;
    }
    if (size > kLargestFile) {
        loaded.problem = wholeFileProblem("je příliš velký (" + std::to_string(size) +
                                          " bajtů), volby disciplín mají jen pár řádků.") +
                         kAllManual;
        return loaded;
    }
    std::ifstream in(file, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        loaded.problem = wholeFileProblem("nelze přečíst.") + kAllManual;
        return loaded;
    }
    if (auto rules = rulesOfBytes(bytes, &loaded.problem)) {
        loaded.rules = *rules;
    } else {
        loaded.problem += kAllManual;
    }
    return loaded;
}

void saveDisciplineRules(const std::filesystem::path& folder, const DisciplineRules& rules) {
    std::string lines;
    for (const Discipline& discipline : allDisciplines()) {
        if (rules.of(discipline) != DisciplineRule{}) {
            lines += lines.empty() ? "" : "\n";
            lines += ruleLine(discipline, rules.of(discipline));
        }
    }
    keepChoice(folder / kDisciplinesFile, lines, "Volby disciplín");
}

}  // namespace zlt::competition
