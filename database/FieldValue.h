#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace zlt::db {

// A field's value: Null, a 32-bit integer or a text (UTF-8 inside the program).
// Null is its own alternative so that it can never be mistaken for 0.
using FieldValue = std::variant<std::monostate, std::int32_t, std::string>;

inline bool isNull(const FieldValue& value) {
    return std::holds_alternative<std::monostate>(value);
}

// The value as the grid and the reports show it: Null as empty text.
inline std::string displayText(const FieldValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return std::to_string(*number);
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    return {};
}

// The text without the blanks (spaces and tabs) at either end: a field of blanks only is
// blank, and blanks around a number are not part of it.
std::string_view withoutBlanks(std::string_view text);

// The whole number a value stands for, as a post would store it in an integer field: the
// number itself, or a text of one (blanks around it and a leading + allowed). None for
// Null, for a blank text, and for a text that is no 32-bit whole number.
std::optional<std::int32_t> integerOf(const FieldValue& value);

}  // namespace zlt::db
