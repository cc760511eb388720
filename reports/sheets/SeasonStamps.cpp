#include "reports/sheets/SeasonStamps.h"

#include <algorithm>
#include <cmath>

#include "pictures/Jpeg.h"
#include "reports/model/Generator.h"
#include "reports/sheets/SheetParts.h"

namespace zlt::reports {

QSize stampShownPixels() {
    double width = 0;
    double height = 0;
    for (const StampBox& box : {kDisciplineStamp, kStandingsStamp, kFinalDisciplineStamp,
                                kFinalsStandingsStamp, kOverallStamp}) {
        width = std::max(width, box.width);
        height = std::max(height, box.height);
    }
    return picturePixelsShown(width, height);
}

QSize picturePixelsShown(double widthMm, double heightMm) {
    // A pixel cut by the box's edge still shows in part.
    return {static_cast<int>(std::ceil(widthMm / kMmPerPicturePixel - 1e-9)),
            static_cast<int>(std::ceil(heightMm / kMmPerPicturePixel - 1e-9))};
}

QImage readSeasonStamp(const std::filesystem::path& file) {
    return pictures::loadJpegFile(file, stampShownPixels());
}

}  // namespace zlt::reports
