// The readers of the typed results (readResult in Disciplines.h), one per kind.
#include "competition/Disciplines.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "competition/TypedWords.h"
#include "database/FieldValue.h"

namespace zlt::competition {
namespace {

// The words an organiser writes for a team without a result, folded.
constexpr std::string_view kWithoutResultWords[] = {
    "dnf", "nedokoncil", "dns", "nestartoval", "np", "dsq", "diskvalifikace", "-"};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isWithoutResultWord(std::string_view text) {
    // Results start with a digit and no such word does; most texts are results.
    if (isDigit(text.front())) {
        return false;
    }
    return std::find(std::begin(kWithoutResultWords), std::end(kWithoutResultWords),
                     folded(text)) != std::end(kWithoutResultWords);
}

bool isNumberCharacter(char c) {
    return isDigit(c) || c == ',' || c == '.' || c == ':';
}

// Values are kept exactly, in millionths of their unit, so that equal texts ("83,4",
// "1:23,4") compare equal; a double carries them only out of the reader.
using Millionths = std::int64_t;
constexpr Millionths kMillion = 1'000'000;
constexpr int kMostIntegerDigits = 9;
constexpr int kMostDecimals = 6;
// Results of a billion seconds, metres or points are typing errors.
constexpr Millionths kBeyondSane = 1'000'000'000 * kMillion;

struct Reading {
    std::optional<Millionths> value;
    std::string why;  // empty when read
};

Reading refused(std::string why) {
    return {std::nullopt, std::move(why)};
}

// Where the decimal comma or point is, npos without one. A plain loop: the library's
// find_first_of searches the two characters for every character of the text.
std::size_t decimalSeparatorIn(std::string_view text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == ',' || text[at] == '.') {
            return at;
        }
    }
    return std::string_view::npos;
}

// A decimal number: digits, and at most one decimal comma or point followed by digits.
Reading decimalOf(std::string_view text) {
    const std::size_t separator = decimalSeparatorIn(text);
    const std::string_view whole = text.substr(0, separator);
    const std::string_view decimals =
        separator == std::string_view::npos ? std::string_view() : text.substr(separator + 1);
    if (decimalSeparatorIn(decimals) != std::string_view::npos) {
        return refused("číslo má víc desetinných čárek");
    }
    if (whole.empty()) {
        return refused(separator == std::string_view::npos
                           ? "chybí číslo"
                           : "před desetinnou čárkou chybí číslice");
    }
    if (separator != std::string_view::npos && decimals.empty()) {
        return refused("za desetinnou čárkou chybí číslice");
    }
    const std::string_view significant =
        whole.substr(std::min(whole.find_first_not_of('0'), whole.size() - 1));
    if (significant.size() > kMostIntegerDigits) {
        return refused("číslo je mimo rozumný rozsah");
    }
    if (decimals.size() > kMostDecimals) {
        return refused("číslo má víc než " + std::to_string(kMostDecimals) + " desetinných míst");
    }
    Millionths value = 0;
    for (const char digit : significant) {
        value = value * 10 + (digit - '0');
    }
    value *= kMillion;
    Millionths unit = kMillion;
    for (const char digit : decimals) {
        unit /= 10;
        value += (digit - '0') * unit;
    }
    return {value, {}};
}

// m:ss or h:mm:ss, each part after a colon two digits below 60; a decimal part only on
// the seconds.
Reading timeOf(std::string_view text) {
    constexpr std::size_t kMostParts = 3;
    if (std::count(text.begin(), text.end(), ':') >= static_cast<long>(kMostParts)) {
        return refused("čas má nejvýš dvě dvojtečky (h:mm:ss)");
    }
    std::array<std::string_view, kMostParts> parts;
    std::size_t count = 0;
    for (std::size_t colon; (colon = text.find(':')) != std::string_view::npos;) {
        parts[count++] = text.substr(0, colon);
        text.remove_prefix(colon + 1);
    }
    parts[count++] = text;
    Millionths total = 0;
    for (std::size_t at = 0; at < count; ++at) {
        const bool seconds = at + 1 == count;
        const std::string_view part = parts[at];
        if (part.empty()) {
            return refused("u dvojtečky chybí číslice");
        }
        if (!seconds && decimalSeparatorIn(part) != std::string_view::npos) {
            return refused("desetinná čárka patří jen k sekundám");
        }
        if (at > 0 && part.substr(0, decimalSeparatorIn(part)).size() != 2) {
            return refused("po dvojtečce patří dvě číslice");
        }
        Reading read = decimalOf(part);
        if (!read.value) {
            return read;
        }
        if (at > 0 && *read.value >= 60 * kMillion) {
            return refused(seconds ? "sekund je víc než 59" : "minut je víc než 59");
        }
        total = total * 60 + *read.value;
        if (total >= kBeyondSane) {
            return refused("čas je mimo rozumný rozsah");
        }
    }
    return {total, {}};
}

struct KindWords {
    const char* noun;  // "„x“ není <noun>"
    const char* units;
};

KindWords wordsOf(ResultKind kind) {
    switch (kind) {
        case ResultKind::Time:
            return {"čas", "jednotka času je jen s"};
        case ResultKind::Distance:
            return {"vzdálenost", "jednotka vzdálenosti je m nebo cm"};
        default:
            return {"počet bodů", "body se píší bez jednotky"};
    }
}

// The unit without blanks, folded: "", "s", "m", "cm".
std::string unitOf(std::string_view text) {
    std::string unit;
    std::copy_if(text.begin(), text.end(), std::back_inserter(unit),
                 [](char c) { return c != ' ' && c != '\t'; });
    return folded(unit);
}

Reading valueOf(ResultKind kind, std::string_view number, std::string_view unitText) {
    if (number.empty()) {
        return refused("chybí číslo");
    }
    const std::string unit = unitOf(unitText);
    const bool centimetres = kind == ResultKind::Distance && unit == "cm";
    const bool unitFits = unit.empty() || (kind == ResultKind::Time && unit == "s") ||
                          (kind == ResultKind::Distance && unit == "m") || centimetres;
    if (!unitFits) {
        return refused(quotedText(db::withoutBlanks(unitText)) + " nepatří k výsledku, " +
                       wordsOf(kind).units);
    }
    if (kind == ResultKind::Time) {
        return timeOf(number);
    }
    if (number.find(':') != std::string_view::npos) {
        return refused(std::string("dvojtečka patří jen k času"));
    }
    Reading read = decimalOf(number);
    if (read.value && centimetres) {
        if (*read.value % 100 != 0) {
            return refused("centimetry mají víc než " + std::to_string(kMostDecimals - 2) +
                           " desetinná místa");
        }
        *read.value /= 100;
    }
    return read;
}

Reading readingOf(ResultKind kind, std::string_view text) {
    if (text.starts_with('-')) {
        return refused("výsledek nemůže být záporný");
    }
    const std::size_t numberEnd =
        std::find_if_not(text.begin(), text.end(), isNumberCharacter) - text.begin();
    return valueOf(kind, text.substr(0, numberEnd), text.substr(numberEnd));
}

}  // namespace

ReadResult readResult(ResultKind kind, std::string_view text) {
    text = db::withoutBlanks(text);
    ReadResult read;
    if (text.empty() || (kind != ResultKind::Manual && isWithoutResultWord(text))) {
        read.withoutResult = true;
        return read;
    }
    if (kind == ResultKind::Manual) {
        return read;
    }
    const Reading reading = readingOf(kind, text);
    if (reading.value) {
        read.value = static_cast<double>(*reading.value) / static_cast<double>(kMillion);
    } else {
        read.problem = quotedText(text) + " není " + wordsOf(kind).noun + ": " + reading.why;
    }
    return read;
}

}  // namespace zlt::competition
