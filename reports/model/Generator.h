#pragma once

#include <functional>
#include <vector>

#include "reports/model/Page.h"
#include "reports/model/Report.h"

namespace zlt::reports {

// Told after every detail row: how many rows are done of how many.
using GenerationProgress = std::function<void(int done, int total)>;

// Lays out all pages of the report over its result set in the set's current order. A row
// still being edited is completed first; afterwards the result set stands on its last row.
std::vector<Page> generate(const ReportDefinition& report, const GenerationProgress& progress = {});

// Pictures print at 96 pixels to the inch.
inline constexpr double kMmPerPicturePixel = 25.4 / 96.0;

}  // namespace zlt::reports
