#include "reports/model/Report.h"

#include <QFont>
#include <QFontMetricsF>
#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "database/ResultSet.h"
#include "reports/model/Fonts.h"

namespace zlt::reports {

void Element::setCaption(const QString& text, const FontSpec& baseFont) {
    caption = text;
    if (!autoSize) {
        return;
    }
    const double newWidth = textWidth(text, font.value_or(baseFont));
    if (alignment == Alignment::Center) {
        left += (width - newWidth) / 2;
    } else if (alignment == Alignment::Right) {
        left += width - newWidth;
    }
    width = newWidth;
}

namespace {

// Ascending, numbers by their value, an empty value after every other.
bool before(const db::FieldValue& one, const db::FieldValue& other) {
    if (db::isNull(one) || db::isNull(other)) {
        return !db::isNull(one) && db::isNull(other);
    }
    const auto number = db::integerOf(one);
    const auto otherNumber = db::integerOf(other);
    if (number && otherNumber) {
        return *number < *otherNumber;
    }
    return db::displayText(one) < db::displayText(other);
}

}  // namespace

std::vector<int> rowsInOrder(const ReportDefinition& report) {
    const db::ResultSet& rows = *report.dataSet;
    std::vector<int> order(static_cast<std::size_t>(rows.recordCount()));
    std::iota(order.begin(), order.end(), 0);
    std::vector<int> positions;
    for (const std::string& field : report.rowOrder) {
        if (const auto position = rows.fields().positionOf(field)) {
            positions.push_back(*position);
        }
    }
    std::stable_sort(order.begin(), order.end(), [&](int one, int other) {
        for (const int position : positions) {
            const db::FieldValue& a = rows.value(one, position);
            const db::FieldValue& b = rows.value(other, position);
            if (before(a, b) || before(b, a)) {
                return before(a, b);
            }
        }
        return false;
    });
    return order;
}

Element& ReportDefinition::element(const std::string& elementName) {
    for (Band& each : bands) {
        for (Element& candidate : each.elements) {
            if (candidate.name == elementName) {
                return candidate;
            }
        }
    }
    throw std::out_of_range(name + ": no element " + elementName);
}

const Band* ReportDefinition::band(BandKind kind) const {
    for (const Band& each : bands) {
        if (each.kind == kind) {
            return &each;
        }
    }
    return nullptr;
}

std::optional<int> TextRows::positionOf(const std::string& field) const {
    const auto found = std::find(fields.begin(), fields.end(), field);
    if (found == fields.end())
        return std::nullopt;
    return static_cast<int>(found - fields.begin());
}

double textWidth(const QString& text, const FontSpec& font) {
    const QFontMetricsF metrics(printFont(font), &measuringDevice());
    return metrics.horizontalAdvance(text) * 25.4 / measuringDevice().logicalDpiX();
}

double lineHeight(const FontSpec& font) {
    const QFontMetricsF metrics(printFont(font), &measuringDevice());
    return metrics.height() * 25.4 / measuringDevice().logicalDpiY();
}

}  // namespace zlt::reports
