#include "reports/model/Report.h"

#include <QFont>
#include <QFontMetricsF>
#include <algorithm>
#include <stdexcept>

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
