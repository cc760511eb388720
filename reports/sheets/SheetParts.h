#pragma once

// What the sheet makers share: the element constructors, the stamp boxes, the captions
// the drivers give labels.
#include <string>
#include <vector>

#include "reports/model/Elements.h"
#include "reports/sheets/Sheets.h"

namespace zlt::reports {

// Every sheet prints in the report's default base font.
inline const FontSpec kSheetFont{};

// A label given a new caption as a driver gives it: its width follows the text.
inline Element captioned(Element label, const QString& caption) {
    label.setCaption(caption, kSheetFont);
    return label;
}

struct StampBox {
    double left, top, width, height;
};
inline constexpr StampBox kDisciplineStamp{63.50, 2.12, 61.65, 34.13};
inline constexpr StampBox kStandingsStamp{60.85, 2.12, 61.65, 32.01};
inline constexpr StampBox kFinalDisciplineStamp{65.09, 2.12, 59.53, 34.13};
inline constexpr StampBox kFinalsStandingsStamp{60.85, 0, 59.53, 34.13};
inline constexpr StampBox kOverallStamp{64.56, 2.12, 57.41, 34.13};

// The season's stamp in the sheet's summary: empty until the details are confirmed.
inline Element stamp(const StampBox& box, const SheetOptions& options) {
    Element element = elements::image("QRImage1", box.left, box.top, box.width, box.height);
    element.picture = options.stamp;
    return element;
}

// A page made without a grid lists the rows by the fields; a printed sheet as the grid.
inline ReportDefinition ordered(ReportDefinition report, const SheetOptions& options,
                                std::vector<std::string> fields) {
    if (options.ownOrder) {
        report.rowOrder = std::move(fields);
    }
    return report;
}

}  // namespace zlt::reports
