#include "competition/Csv.h"

#include <utility>

namespace zlt::competition {
namespace {

bool needsQuotes(std::string_view field, char separator) {
    return field.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string::npos ||
           (!field.empty() && (field.front() == ' ' || field.back() == ' '));
}

struct Parsed {
    std::optional<int> unclosedQuote;
    bool lastCutShort = false;  // the last record has no line end
};

Parsed parse(std::string_view text, char separator, const std::function<void(CsvRecord&&)>& take) {
    Parsed parsed;
    int line = 1;
    CsvRecord record{line, {{}}};
    bool quoted = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        parsed.lastCutShort = true;
        if (c == '\n') {
            ++line;
        }
        if (quoted && c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
            record.fields.back() += '"';
            ++at;
        } else if (c == '"') {
            quoted = !quoted;
            if (quoted) {
                parsed.unclosedQuote = line;
            }
        } else if (quoted) {
            record.fields.back() += c;
        } else if (c == separator) {
            record.fields.emplace_back();
        } else if (c == '\n') {
            take(std::exchange(record, CsvRecord{line, {{}}}));
            parsed.lastCutShort = false;
        } else if (c != '\r') {  // a copy saved by a spreadsheet ends its lines with CR LF
            record.fields.back() += c;
        }
    }
    if (parsed.lastCutShort) {
        take(std::move(record));
    }
    if (!quoted) {
        parsed.unclosedQuote.reset();
    }
    return parsed;
}

}  // namespace

std::string csvField(std::string_view field, char separator) {
    if (!needsQuotes(field, separator)) {
        return std::string(field);
    }
    std::string quoted = "\"";
    for (const char c : field) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

std::string csvLine(const std::vector<std::string>& fields, char separator) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += separator;
        }
        line += csvField(fields[i], separator);
    }
    return line + '\n';
}

std::vector<std::vector<std::string>> csvRecords(std::string_view text, char separator) {
    std::vector<std::vector<std::string>> records;
    const Parsed parsed = parse(
        text, separator, [&](CsvRecord&& record) { records.push_back(std::move(record.fields)); });
    if (parsed.lastCutShort) {
        records.pop_back();
    }
    return records;
}

std::optional<int> forEachCsvRecord(std::string_view text, char separator,
                                    const std::function<void(CsvRecord&&)>& take) {
    return parse(text, separator, take).unclosedQuote;
}

}  // namespace zlt::competition
