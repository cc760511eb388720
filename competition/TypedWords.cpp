#include "competition/TypedWords.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace zlt::competition {
namespace {

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr std::pair<std::string_view, char> kCzechLetters[] = {
    {"á", 'a'}, {"Á", 'a'}, {"č", 'c'}, {"Č", 'c'}, {"ď", 'd'}, {"Ď", 'd'}, {"é", 'e'}, {"É", 'e'},
    {"ě", 'e'}, {"Ě", 'e'}, {"í", 'i'}, {"Í", 'i'}, {"ň", 'n'}, {"Ň", 'n'}, {"ó", 'o'}, {"Ó", 'o'},
    {"ř", 'r'}, {"Ř", 'r'}, {"š", 's'}, {"Š", 's'}, {"ť", 't'}, {"Ť", 't'}, {"ú", 'u'}, {"Ú", 'u'},
    {"ů", 'u'}, {"Ů", 'u'}, {"ý", 'y'}, {"Ý", 'y'}, {"ž", 'z'}, {"Ž", 'z'}};

}  // namespace

std::string folded(std::string_view text) {
    std::string plain;
    while (!text.empty()) {
        if (static_cast<unsigned char>(text.front()) < 0x80) {
            plain += asciiLower(text.front());
            text.remove_prefix(1);
            continue;
        }
        const auto letter =
            std::find_if(std::begin(kCzechLetters), std::end(kCzechLetters),
                         [&](const auto& czech) { return text.starts_with(czech.first); });
        if (letter != std::end(kCzechLetters)) {
            plain += letter->second;
            text.remove_prefix(letter->first.size());
        } else {
            plain += text.front();
            text.remove_prefix(1);
        }
    }
    return plain;
}

namespace {

// The length of the UTF-8 sequence at the start, 0 when it is none.
std::size_t sequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || length > text.size()) {
        return 0;
    }
    for (std::size_t at = 1; at < length; ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

}  // namespace

bool isUtf8(std::string_view text) {
    while (!text.empty()) {
        const std::size_t length = sequenceLength(text);
        if (length == 0) {
            return false;
        }
        text.remove_prefix(length);
    }
    return true;
}

std::string quotedText(std::string_view text) {
    constexpr int kMostCharacters = 20;
    std::string quote = "„";
    for (int characters = 0; !text.empty(); ++characters) {
        if (characters == kMostCharacters) {
            quote += "…";
            break;
        }
        const std::size_t length = sequenceLength(text);
        quote += length == 0 ? std::string_view("?") : text.substr(0, length);
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return quote + "“";
}

}  // namespace zlt::competition
