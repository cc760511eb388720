#pragma once

#include <cstdint>
#include <string>
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

}  // namespace zlt::db
