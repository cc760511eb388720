#include "competition/Scoring.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <exception>
#include <limits>
#include <optional>

#include "competition/Refusal.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "database/Transaction.h"

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
        sum += countedTerm(rows.field(rows.fieldPosition(term)));
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

// After a rolled-back Enter: the rows show what the tables hold, and the values typed are
// being typed again over them, not yet written, as before the Enter.
void typeAgain(db::ResultSet& rows, const std::optional<db::PendingRow>& typed) noexcept {
    try {
        rows.cancel();
        rows.reread();
        if (typed && !typed->values.empty()) {
            rows.resumeRow(*typed);
        }
    } catch (const std::exception&) {
        // The error to report is the one that stopped the write, not a later one.
    }
}

}  // namespace

std::int64_t countedTerm(const db::FieldValue& value) {
    return std::max<std::int64_t>(termOf(value), 0);
}

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
    rows.requireActive();
    // The row as typed is checked before anything is sent, so that a total that cannot be
    // stored is refused with the row left as it is.
    rows.takeTypedText();
    requireFits(sumOfPositiveTerms(rows, rule), rule.total);
    const std::optional<db::PendingRow> typed = rows.pendingRow();
    bool typedWritten = false;
    try {
        // The typed values and their total are committed together or not at all: a power
        // cut or a refusal between them must never leave new placings beside an old total.
        // The rows are read again inside the transaction, which sees its own write.
        db::Transaction::together(rows.connection(), [&] {
            rows.checkBrowseMode();
            typedWritten = true;
            rows.reread();
            const std::int64_t sum = sumOfPositiveTerms(rows, rule);
            requireFits(sum, rule.total);
            rows.edit();
            rows.setField(rule.total, static_cast<std::int32_t>(sum));
            rows.post();
        });
    } catch (...) {
        // A row refused on its own post is still being typed as the refusal left it; one
        // refused after it was written lost that write with the transaction.
        if (typedWritten) {
            typeAgain(rows, typed);
        }
        throw;
    }
}

}  // namespace zlt::competition
