#include "competition/Scoring.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

#include "competition/Refusal.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"

namespace zlt::competition {
namespace {

// A placing or penalty as it stands in the row: a number, or text typed for an integer
// field, which counts as its number (text that is no number is refused when posted).
std::int64_t termOf(const db::FieldValue& value) {
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return *number;
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        std::int64_t number = 0;
        const auto [end, error] =
            std::from_chars(text->data(), text->data() + text->size(), number);
        return error == std::errc() && end == text->data() + text->size() ? number : 0;
    }
    return 0;
}

std::int64_t sumOfPositiveTerms(const db::ResultSet& rows, const TotalRule& rule) {
    std::int64_t sum = 0;
    for (const std::string& term : rule.terms) {
        sum += std::max<std::int64_t>(termOf(rows.field(rows.fieldPosition(term))), 0);
    }
    return sum;
}

void requireFits(std::int64_t sum, const std::string& totalField) {
    if (sum > std::numeric_limits<std::int32_t>::max()) {
        throw Refusal("The total " + std::to_string(sum) + " does not fit into " + totalField +
                      " (at most " + std::to_string(std::numeric_limits<std::int32_t>::max()) +
                      "); nothing was written");
    }
}

}  // namespace

const TotalRule& preliminaryTotal() {
    static const TotalRule rule{{"BOD1", "BOD2", "BOD3", "BOD4", "BOD5", "BOD6", "PENALIZACE"},
                                "CELKEM"};
    return rule;
}

const TotalRule& finalsTotal() {
    static const TotalRule rule{{"FBOD1", "FBOD2", "FBOD3", "FPOCATEK"}, "FCELKEM"};
    return rule;
}

const TotalRule& totalRuleOf(const db::ResultSet& rows) {
    return rows.fields().table() == db::finalsFields().table() ? finalsTotal() : preliminaryTotal();
}

void recomputeRowTotal(db::ResultSet& rows, const TotalRule& rule) {
    // The row as typed is checked before it is written, so that a total that cannot be
    // stored never leaves new placings beside an old total.
    if (rows.active()) {
        rows.takeTypedText();
        requireFits(sumOfPositiveTerms(rows, rule), rule.total);
    }
    rows.refresh();
    const std::int64_t sum = sumOfPositiveTerms(rows, rule);
    requireFits(sum, rule.total);
    rows.edit();
    rows.setField(rule.total, static_cast<std::int32_t>(sum));
    rows.post();
}

}  // namespace zlt::competition
