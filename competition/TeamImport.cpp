#include "competition/TeamImport.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <set>
#include <utility>

#include "competition/Csv.h"
#include "competition/Refusal.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "platform/Win1250.h"

namespace zlt::competition {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr const char* kTeam = "DRUZSTVO";

std::string onLine(int line) {
    return "Řádek " + std::to_string(line) + ": ";
}

// Blanks around a value are the spreadsheet's padding, also inside quotes.
std::string trimmed(const std::string& text) {
    return std::string(db::withoutBlanks(text));
}

struct Decoded {
    TeamList::Encoding encoding;
    std::string text;
};

// Text that is not valid UTF-8 comes from an older spreadsheet, which saves in the
// system's code page.
Decoded decoded(std::string_view bytes) {
    const bool bom = bytes.starts_with(kBom);
    const std::string_view text = bom ? bytes.substr(kBom.size()) : bytes;
    try {
        platform::utf8Length(text);
        return {bom ? TeamList::Encoding::Utf8WithBom : TeamList::Encoding::Utf8,
                std::string(text)};
    } catch (const platform::EncodingError&) {
        return {TeamList::Encoding::Win1250, platform::fromWin1250(bytes)};
    }
}

// Control characters other than the tab and the line ends, including the C1 ones, which
// stand for the bytes Windows-1250 leaves undefined, mean a file that is no list at all.
void requireText(std::string_view text) {
    int line = 1;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto c = static_cast<unsigned char>(text[at]);
        const bool c1 =
            c == 0xC2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) < 0xA0;
        if (c == '\n') {
            ++line;
        } else if ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7F || c1) {
            throw Refusal("Soubor není text (řádek " + std::to_string(line) +
                          " obsahuje binární data).");
        }
    }
}

// The columns a record fills: blank fields at its end, which spreadsheets write for
// empty cells, do not count.
std::size_t widthOf(const CsvRecord& record) {
    std::size_t width = record.fields.size();
    while (width > 0 && db::withoutBlanks(record.fields[width - 1]).empty()) {
        --width;
    }
    return width;
}

struct Layout {
    char separator = ';';
    std::size_t columns = 1;
    std::vector<CsvRecord> records;  // the blank ones left out
    std::optional<int> unclosedQuote;
};

Layout layoutWith(std::string_view text, char separator) {
    CsvText parsed = csvText(text, separator);
    Layout layout{separator, 1, {}, parsed.unclosedQuote};
    for (CsvRecord& record : parsed.records) {
        if (widthOf(record) > 0) {
            layout.records.push_back(std::move(record));
        }
    }
    return layout;
}

std::size_t recordsOfWidth(const Layout& layout, std::size_t width) {
    return std::count_if(layout.records.begin(), layout.records.end(),
                         [&](const CsvRecord& record) { return widthOf(record) == width; });
}

// The separator that splits most of the lines into a number and a name; when none splits
// most of them, the list has names alone, read with the separator that leaves the most
// lines whole (a name may hold a comma). Ties go to the tab, then the semicolon.
Layout layoutOf(std::string_view text) {
    std::optional<Layout> split;
    std::optional<Layout> whole;
    for (const char separator : {'\t', ';', ','}) {
        Layout layout = layoutWith(text, separator);
        const std::size_t pairs = recordsOfWidth(layout, 2);
        const std::size_t names = recordsOfWidth(layout, 1);
        if (pairs > names && (!split || pairs > recordsOfWidth(*split, 2))) {
            layout.columns = 2;
            split = std::move(layout);
        } else if (!whole || names > recordsOfWidth(*whole, 1)) {
            whole = std::move(layout);
        }
    }
    return split ? *split : *whole;
}

// Lower case for comparing column titles, also of the Czech capitals.
std::string folded(std::string_view text) {
    static const std::array<std::pair<std::string_view, std::string_view>, 15> kCapitals{{
        {"Á", "á"},
        {"Č", "č"},
        {"Ď", "ď"},
        {"É", "é"},
        {"Ě", "ě"},
        {"Í", "í"},
        {"Ň", "ň"},
        {"Ó", "ó"},
        {"Ř", "ř"},
        {"Š", "š"},
        {"Ť", "ť"},
        {"Ú", "ú"},
        {"Ů", "ů"},
        {"Ý", "ý"},
        {"Ž", "ž"},
    }};
    std::string lower;
    for (std::size_t at = 0; at < text.size();) {
        const auto capital =
            std::find_if(kCapitals.begin(), kCapitals.end(),
                         [&](const auto& pair) { return text.substr(at).starts_with(pair.first); });
        if (capital != kCapitals.end()) {
            lower += capital->second;
            at += capital->first.size();
        } else {
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(text[at++])));
        }
    }
    return lower;
}

bool titlesAColumn(const std::string& text) {
    static const std::array<std::string_view, 18> kTitles{
        "číslo",    "cislo", "č.",  "number", "no.",  "pořadí", "poradi", "pozice", "družstvo",
        "druzstvo", "tým",   "tym", "team",   "name", "název",  "nazev",  "jméno",  "jmeno"};
    return std::find(kTitles.begin(), kTitles.end(), folded(trimmed(text))) != kTitles.end();
}

bool isNumber(const std::string& text) {
    return db::integerOf(text).has_value();
}

// A first line titling a column, or one whose number is no number while a later one is.
bool hasHeader(const Layout& layout) {
    const std::vector<std::string>& first = layout.records.front().fields;
    if (std::any_of(first.begin(), first.end(), titlesAColumn)) {
        return true;
    }
    return layout.columns == 2 && !isNumber(first.front()) &&
           std::any_of(layout.records.begin() + 1, layout.records.end(),
                       [](const CsvRecord& record) { return isNumber(record.fields.front()); });
}

std::string separatorName(char separator) {
    switch (separator) {
        case '\t':
            return "tabulátorem";
        case ',':
            return "čárkou";
        default:
            return "středníkem";
    }
}

int numberOf(const CsvRecord& record) {
    const std::string number = trimmed(record.fields.front());
    if (number.empty()) {
        throw Refusal(onLine(record.line) + "chybí číslo družstva.");
    }
    const auto value = db::integerOf(number);
    if (!value || *value < 1) {
        throw Refusal(onLine(record.line) + "číslo družstva „" + number +
                      "“ není kladné celé číslo.");
    }
    return *value;
}

TeamListEntry entryOf(const CsvRecord& record, const Layout& layout) {
    const std::size_t width = widthOf(record);
    if (width > layout.columns) {
        throw Refusal(onLine(record.line) + "příliš mnoho sloupců (" + std::to_string(width) +
                      "); očekává se číslo a název družstva, nebo jen název.");
    }
    if (record.fields.size() < layout.columns) {
        throw Refusal(onLine(record.line) +
                      "očekávají se dva sloupce, číslo a název družstva, oddělené " +
                      separatorName(layout.separator) + ".");
    }
    TeamListEntry entry{record.line, std::nullopt, trimmed(record.fields[layout.columns - 1])};
    if (entry.name.empty()) {
        throw Refusal(onLine(record.line) + "chybí název družstva.");
    }
    if (entry.name.find_first_of("\r\n") != std::string::npos) {
        throw Refusal(onLine(record.line) + "název družstva obsahuje konec řádku.");
    }
    if (layout.columns == 2) {
        entry.number = numberOf(record);
    }
    return entry;
}

bool finalsRows(const db::ResultSet& rows) {
    return rows.fields().table() == db::finalsFields().table();
}

// The rows the numbers already have: the position of each finals row, the first row with
// each CISLO in the preliminary round.
std::map<int, int> numberedRows(const db::ResultSet& rows) {
    std::map<int, int> numbered;
    const int number = finalsRows(rows) ? -1 : rows.fieldPosition("CISLO");
    for (int row = 0; row < rows.recordCount(); ++row) {
        if (number < 0) {
            numbered.emplace(row + 1, row);
        } else if (const auto cislo = db::integerOf(rows.value(row, number))) {
            numbered.emplace(*cislo, row);
        }
    }
    return numbered;
}

std::string onEarlierLine(int line) {
    return " je už na řádku " + std::to_string(line);
}

}  // namespace

TeamList readTeamList(std::string_view bytes) {
    const Decoded text = decoded(bytes);
    requireText(text.text);
    const Layout layout = layoutOf(text.text);
    if (layout.unclosedQuote) {
        throw Refusal(onLine(*layout.unclosedQuote) +
                      "uvozovky otevřené na tomto řádku nejsou uzavřeny.");
    }
    if (layout.records.empty()) {
        throw Refusal("Soubor je prázdný.");
    }
    TeamList list{layout.separator, text.encoding, hasHeader(layout), {}};
    for (auto record = layout.records.begin() + (list.header ? 1 : 0);
         record != layout.records.end(); ++record) {
        list.teams.push_back(entryOf(*record, layout));
    }
    return list;
}

std::vector<int> rowsOfNumbers(const std::vector<int>& numbers, const db::ResultSet& rows) {
    std::map<int, int> rowOf = numberedRows(rows);
    std::set<int> unknown;
    for (const int number : numbers) {
        if (!rowOf.contains(number)) {
            unknown.insert(number);
        }
    }
    int appended = rows.recordCount();
    for (const int number : unknown) {
        rowOf.emplace(number, appended++);
    }
    std::vector<int> targets;
    for (const int number : numbers) {
        targets.push_back(rowOf.at(number));
    }
    return targets;
}

std::optional<std::string> unstorableName(std::string_view name, const db::ResultSet& rows) {
    const db::FieldDef& team = rows.fields()[rows.fieldPosition(kTeam)];
    try {
        platform::toWin1250(name);
    } catch (const platform::EncodingError& error) {
        return "Znak „" + platform::utf8Of(error.character()) + "“ (" +
               platform::codePointName(error.character()) +
               ") nelze uložit v kódování Windows-1250.";
    }
    const std::size_t length = platform::utf8Length(name);
    if (length > static_cast<std::size_t>(team.length)) {
        return "Název má " + std::to_string(length) + " znaků, pole " + team.displayLabel +
               " pojme nejvýš " + std::to_string(team.length) + ".";
    }
    return std::nullopt;
}

std::vector<ImportLine> planImport(const TeamList& list, const db::ResultSet& rows) {
    std::vector<int> numbers;
    for (const TeamListEntry& entry : list.teams) {
        numbers.push_back(entry.number.value_or(static_cast<int>(numbers.size()) + 1));
    }
    const std::vector<int> targets = rowsOfNumbers(numbers, rows);
    const int team = rows.fieldPosition(kTeam);
    const std::string numberWord = finalsRows(rows) ? "Pozice " : "Číslo ";
    std::map<int, int> lineOfNumber;
    std::map<std::string, int> lineOfName;
    std::vector<ImportLine> lines;
    for (std::size_t at = 0; at < list.teams.size(); ++at) {
        const TeamListEntry& entry = list.teams[at];
        ImportLine line{entry.line, numbers[at], entry.name, {}, targets[at] >= rows.recordCount(),
                        {}};
        if (!line.newRow) {
            const std::string old = trimmed(db::displayText(rows.value(targets[at], team)));
            if (!old.empty() && old != entry.name) {
                line.replaced = old;
                line.warnings.push_back("Nahradí družstvo „" + old + "“.");
            }
        }
        if (const auto [first, fresh] = lineOfNumber.emplace(line.number, line.line); !fresh) {
            line.warnings.push_back(numberWord + std::to_string(line.number) +
                                    onEarlierLine(first->second) + "; platí poslední z nich.");
        }
        if (const auto [first, fresh] = lineOfName.emplace(line.name, line.line); !fresh) {
            line.warnings.push_back("Družstvo „" + line.name + "“" + onEarlierLine(first->second) +
                                    ".");
        }
        if (auto reason = unstorableName(line.name, rows)) {
            line.warnings.push_back(std::move(*reason));
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace zlt::competition
