#include "reports/SeasonStamps.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/Jpeg.h"
#include "reports/CelkovyTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/ZLTTisk.h"
#include "reports/model/Generator.h"

namespace zlt::reports {
namespace {

std::array<ReportHolder*, 5> sheets() {
    return {frmTiskDisc, frmTiskFDisc, frmZLTFinaleTisk, frmZLTTisk, frmCelkovyTisk};
}

}  // namespace

QSize stampShownPixels() {
    double width = 0;
    double height = 0;
    for (ReportHolder* sheet : sheets()) {
        const Element& box = sheet->QuickRep1.element("QRImage1");
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
    return platform::loadJpegFile(file, stampShownPixels());
}

}  // namespace zlt::reports
