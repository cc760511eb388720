#pragma once

#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the overall standings, over the main window's rows.
class TfrmCelkovyTisk : public reports::ReportHolder {
    Q_OBJECT
public:
    TfrmCelkovyTisk();
    // The heading and place line: edition-specific while the details are confirmed.
    void setHeadings(bool confirmed, const QString& edition, const QString& place);
};

extern TfrmCelkovyTisk* frmCelkovyTisk;

}  // namespace zlt
