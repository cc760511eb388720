#include "reports/SeasonStamps.h"

#include "platform/Jpeg.h"
#include "reports/CelkovyTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/ZLTTisk.h"

namespace zlt::reports {

void loadSeasonStamps(const std::filesystem::path& file) {
    for (ReportHolder* sheet : std::initializer_list<ReportHolder*>{
             frmTiskDisc, frmTiskFDisc, frmZLTFinaleTisk, frmZLTTisk, frmCelkovyTisk}) {
        sheet->setStamp(platform::loadJpegFile(file));
    }
}

}  // namespace zlt::reports
