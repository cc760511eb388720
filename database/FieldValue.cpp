#include "database/FieldValue.h"

#include <charconv>

namespace zlt::db {

std::string_view withoutBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<std::int32_t> integerOf(const FieldValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return *number;
    }
    const auto* text = std::get_if<std::string>(&value);
    if (text == nullptr) {
        return std::nullopt;
    }
    std::string_view digits = withoutBlanks(*text);
    if (digits.starts_with('+')) {
        digits.remove_prefix(1);
    }
    std::int32_t parsed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return parsed;
}

}  // namespace zlt::db
