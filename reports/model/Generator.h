#pragma once

#include <QDate>
#include <QLocale>
#include <functional>
#include <optional>
#include <vector>

#include "reports/model/Page.h"
#include "reports/model/Report.h"

namespace zlt::reports {

// Told after every detail row: how many rows are done of how many.
using GenerationProgress = std::function<void(int done, int total)>;

// Lays out all pages of the report over its result set in the set's current order. A row
// still being edited is completed first; afterwards the result set stands on its last row.
// A report without a result set prints its text rows in their order.
std::vector<Page> generate(const ReportDefinition& report, const GenerationProgress& progress = {});

// The text an element prints: a label's caption, a data text's value in that row of the
// report's rows (none without a row, or when its field is not one of the rows'), the count
// for the COUNT expression, the date of today.
QString elementText(const Element& element, const ReportDefinition& report, std::optional<int> row,
                    int count);

// The date as the sheets print it: in the locale's short form, or where the locale is C (no
// locale set on the machine) as Czech sheets write it, "05.03.2026".
QString sheetDate(const QDate& date, const QLocale& locale = QLocale::system());

// Pictures print at 96 pixels to the inch.
inline constexpr double kMmPerPicturePixel = 25.4 / 96.0;

}  // namespace zlt::reports
