#pragma once

#include <functional>
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

// The records of a whole file that a person saved, handed over one at a time so that a
// long text is read in the memory of one record: a last record without its line end is
// kept. Returns the line a quote still open at the end was opened on.
std::optional<int> forEachCsvRecord(std::string_view text, char separator,
                                    const std::function<void(CsvRecord&&)>& take);

}  // namespace zlt::competition
