#include "competition/Csv.h"

namespace zlt::competition {
namespace {

bool needsQuotes(std::string_view field, char separator) {
    return field.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string::npos ||
           (!field.empty() && (field.front() == ' ' || field.back() == ' '));
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
    std::vector<std::string> record(1);
    bool quoted = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (quoted && c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
            record.back() += '"';
            ++at;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            record.back() += c;
        } else if (c == separator) {
            record.emplace_back();
        } else if (c == '\n') {
            records.push_back(std::move(record));
            record.assign(1, {});
        } else if (c != '\r') {  // a copy saved by a spreadsheet ends its lines with CR LF
            record.back() += c;
        }
    }
    return records;
}

}  // namespace zlt::competition
