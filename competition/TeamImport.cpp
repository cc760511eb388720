#include "competition/TeamImport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "competition/Csv.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "text/SystemError.h"
#include "text/Win1250.h"

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
    std::string_view text;
};

// Text that is not valid UTF-8 comes from an older spreadsheet, which saves in the
// system's code page; only then is it converted, into `converted`.
Decoded decoded(std::string_view bytes, std::string& converted) {
    const bool bom = bytes.starts_with(kBom);
    const std::string_view text = bom ? bytes.substr(kBom.size()) : bytes;
    try {
        text::utf8Length(text);
        return {bom ? TeamList::Encoding::Utf8WithBom : TeamList::Encoding::Utf8, text};
    } catch (const text::EncodingError&) {
        converted = text::fromWin1250(bytes);
        return {TeamList::Encoding::Win1250, converted};
    }
}

// A count with a space between the thousands, as Czech writes it: "400 000".
std::string withThousands(std::uintmax_t count) {
    std::string digits = std::to_string(count);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), 1, ' ');
    }
    return digits;
}

// A size over the limit in megabytes, or gigabytes from one on, with one decimal rounded
// up, so that a list just over the limit never reads as the limit itself: "16,1 MB".
std::string sizeText(std::uintmax_t bytes) {
    const bool giga = bytes >= (std::uintmax_t{1} << 30);
    const long double unit = giga ? 1024.0L * 1024 * 1024 : 1024.0L * 1024;
    const auto tenths = static_cast<std::uintmax_t>(std::ceil(bytes * 10.0L / unit));
    return withThousands(tenths / 10) + "," + std::to_string(tenths % 10) + (giga ? " GB" : " MB");
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

// What one reading of the text with a separator finds, without holding its records.
struct Layout {
    char separator = ';';
    std::size_t columns = 1;
    std::size_t records = 0;  // the blank ones left out
    std::size_t pairs = 0;    // records of a number and a name
    std::size_t names = 0;    // records of one column
    std::optional<CsvRecord> first;
    bool laterNumber = false;  // a record after the first starts with a number
    std::optional<int> unclosedQuote;
};

bool isNumber(const std::string& text) {
    return db::integerOf(text).has_value();
}

Layout layoutWith(std::string_view text, char separator) {
    Layout layout;
    layout.separator = separator;
    layout.unclosedQuote = forEachCsvRecord(text, separator, [&](CsvRecord&& record) {
        const std::size_t width = widthOf(record);
        if (width == 0) {
            return;
        }
        ++layout.records;
        layout.pairs += width == 2 ? 1 : 0;
        layout.names += width == 1 ? 1 : 0;
        if (!layout.first) {
            layout.first = std::move(record);
        } else if (!layout.laterNumber) {
            layout.laterNumber = isNumber(record.fields.front());
        }
    });
    return layout;
}

// The separator that splits most of the lines into a number and a name; when none splits
// most of them, the list has names alone, read with the separator that leaves the most
// lines whole (a name may hold a comma). Ties go to the tab, then the semicolon.
Layout layoutOf(std::string_view text) {
    std::optional<Layout> split;
    std::optional<Layout> whole;
    for (const char separator : {'\t', ';', ','}) {
        Layout layout = layoutWith(text, separator);
        if (layout.pairs > layout.names && (!split || layout.pairs > split->pairs)) {
            layout.columns = 2;
            split = std::move(layout);
        } else if (!whole || layout.names > whole->names) {
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

// A first line titling a column, or one whose number is no number while a later one is.
bool hasHeader(const Layout& layout) {
    const std::vector<std::string>& first = layout.first->fields;
    if (std::any_of(first.begin(), first.end(), titlesAColumn)) {
        return true;
    }
    return layout.columns == 2 && !isNumber(first.front()) && layout.laterNumber;
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

std::string mostTeams() {
    return "ZLT jich pojme nejvýše " + withThousands(kMostTeams) + ".";
}

// Closes the file on every way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { ::close(fd_); }
    int fd() const { return fd_; }

private:
    int fd_;
};

// The file's bytes, a regular file refused by its size before a byte is read. Anything
// else (a pipe, a device) is refused as soon as it has given more than a list may hold.
std::string listBytes(const std::filesystem::path& file) {
    const std::string what = "Soubor " + file.string();
    const auto failed = [&](const char* action) {
        return Refusal(what + " nelze " + action + ": " +
                       text::systemErrorText(errno, text::FileAccess::Read) + ".");
    };
    const FileDescriptor input(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (input.fd() < 0) {
        throw failed("otevřít");
    }
    std::string bytes;
    struct stat status {};
    if (::fstat(input.fd(), &status) == 0 && S_ISREG(status.st_mode)) {
        requireListSize(static_cast<std::uintmax_t>(status.st_size), what);
        bytes.reserve(static_cast<std::size_t>(status.st_size));
    }
    std::array<char, 1 << 16> chunk{};
    for (;;) {
        const ssize_t got = ::read(input.fd(), chunk.data(), chunk.size());
        if (got == 0) {
            return bytes;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw failed("přečíst");
        }
        bytes.append(chunk.data(), static_cast<std::size_t>(got));
        requireListSize(bytes.size(), what);
    }
}

std::string onEarlierLine(int line) {
    return " je už na řádku " + std::to_string(line);
}

}  // namespace

TeamList readTeamList(std::string_view bytes) {
    std::string converted;
    const Decoded text = decoded(bytes, converted);
    requireText(text.text);
    const Layout layout = layoutOf(text.text);
    if (layout.unclosedQuote) {
        throw Refusal(onLine(*layout.unclosedQuote) +
                      "uvozovky otevřené na tomto řádku nejsou uzavřeny.");
    }
    if (layout.records == 0) {
        throw Refusal("Soubor je prázdný.");
    }
    TeamList list{layout.separator, text.encoding, hasHeader(layout), {}};
    if (const std::size_t teams = layout.records - (list.header ? 1 : 0); teams > kMostTeams) {
        throw OversizedList("Soubor obsahuje " + withThousands(teams) + " družstev; " +
                            mostTeams() + " Vybrali jste správný soubor?");
    }
    bool header = list.header;
    forEachCsvRecord(text.text, layout.separator, [&](CsvRecord&& record) {
        if (widthOf(record) > 0 && !std::exchange(header, false)) {
            list.teams.push_back(entryOf(record, layout));
        }
    });
    return list;
}

void requireListSize(std::uintmax_t bytes, const std::string& what) {
    if (bytes > kLargestTeamList) {
        throw OversizedList(what + " má " + sizeText(bytes) +
                            "; seznam družstev může mít nejvýše " +
                            withThousands(kLargestTeamList >> 20) + " MB.");
    }
}

TeamList readTeamListFile(const std::filesystem::path& file) {
    return readTeamList(listBytes(file));
}

std::vector<int> rowsOfNumbers(const std::vector<int>& numbers, const db::ResultSet& rows) {
    std::map<int, int> rowOf = numberedRows(rows);
    std::set<int> unknown;
    for (const int number : numbers) {
        if (!rowOf.contains(number)) {
            unknown.insert(number);
        }
    }
    const std::size_t after = static_cast<std::size_t>(rows.recordCount()) + unknown.size();
    // A table already longer keeps its rows; only new ones are refused.
    if (!unknown.empty() && after > kMostTeams) {
        throw OversizedList("Po importu by tabulka " + rows.fields().table() + " měla " +
                            withThousands(after) + " řádků; " + mostTeams());
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
        text::toWin1250(name);
    } catch (const text::EncodingError& error) {
        return "Znak „" + text::utf8Of(error.character()) + "“ (" +
               text::codePointName(error.character()) + ") nelze uložit v kódování Windows-1250.";
    }
    const std::size_t length = text::utf8Length(name);
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
