#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zlt::competition {

// Comma-separated text as RFC 4180 writes it, with the separator of one's choice: a field
// holding the separator, a quote, a line end, or blanks at either end is quoted, and its
// quotes doubled.
std::string csvField(std::string_view field, char separator);
std::string csvLine(const std::vector<std::string>& fields, char separator);

// The records of the text. Quoted fields may hold separators and line ends; CR LF ends a
// line as LF does. A last record without its line end was cut short and is left out.
std::vector<std::vector<std::string>> csvRecords(std::string_view text, char separator);

// A record with the line it starts on, from 1.
struct CsvRecord {
    int line = 0;
    std::vector<std::string> fields;
};

// The records of a whole file that a person saved: a last record without its line end is
// kept, and a quote still open at the end is told by the line it was opened on.
struct CsvText {
    std::vector<CsvRecord> records;
    std::optional<int> unclosedQuote;
};
CsvText csvText(std::string_view text, char separator);

}  // namespace zlt::competition
