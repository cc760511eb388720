#include "database/RecoveryFile.h"

#include <charconv>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "text/TextFile.h"

namespace zlt::db {
namespace {

const char kHeading[] = "ZLT rozepsane radky 1";

std::string escaped(const std::string& text) {
    std::string out;
    for (const unsigned char byte : text) {
        if (byte == '\\' || byte <= 0x20 || byte >= 0x7f) {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            out += code;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 3 >= text.size() || text[i + 1] != 'x' ||
            std::from_chars(text.data() + i + 2, text.data() + i + 4, value, 16).ptr !=
                text.data() + i + 4) {
            throw std::invalid_argument("a broken \\x escape");
        }
        out += static_cast<char>(value);
        i += 3;
    }
    return out;
}

std::string valueText(const FieldValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return "i " + std::to_string(*number);
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        return "t " + escaped(*text);
    }
    return "n";
}

FieldValue parsedValue(std::string_view kind, std::string_view text) {
    if (kind == "n") {
        return {};
    }
    if (kind == "t") {
        return unescaped(text);
    }
    std::int32_t number = 0;
    if (kind != "i" || std::from_chars(text.data(), text.data() + text.size(), number).ptr !=
                           text.data() + text.size()) {
        throw std::invalid_argument("a value of an unknown kind");
    }
    return number;
}

}  // namespace

std::filesystem::path recoveryFileOf(const std::filesystem::path& database) {
    std::filesystem::path file = database;
    file += ".rozepsane";
    return file;
}

void saveRecoveryFile(const std::filesystem::path& file, const std::vector<PendingRow>& rows) {
    std::vector<std::string> lines{kHeading};
    for (const PendingRow& row : rows) {
        lines.push_back("radek " + row.table + " " + (row.key.empty() ? "-" : escaped(row.key)));
        for (const auto& [name, value] : row.values) {
            lines.push_back("pole " + name + " " + valueText(value));
        }
    }
    text::writeWin1250Lines(file, lines);
}

std::vector<PendingRow> loadRecoveryFile(const std::filesystem::path& file) {
    const std::vector<std::string> lines = text::readWin1250Lines(file);
    const std::runtime_error broken("The file " + file.filename().string() +
                                    " is not a file of rows kept by this program");
    if (lines.empty() || lines[0] != kHeading) {
        throw broken;
    }
    std::vector<PendingRow> rows;
    try {
        for (std::size_t i = 1; i < lines.size(); ++i) {
            std::istringstream words(lines[i]);
            std::string what, name, kind;
            words >> what >> name;
            if (what == "radek") {
                std::string key;
                words >> key;
                rows.push_back({name, key == "-" ? std::string() : unescaped(key), {}});
            } else if (what == "pole" && !rows.empty()) {
                words >> kind;
                std::string rest;
                std::getline(words >> std::ws, rest);
                rows.back().values.emplace_back(name, parsedValue(kind, rest));
            } else {
                throw std::invalid_argument("an unknown line");
            }
        }
    } catch (const std::invalid_argument&) {
        throw broken;
    }
    return rows;
}

}  // namespace zlt::db
