#pragma once

#include "reports/ReportHolder.h"

namespace zlt {

// Holds the sheet of the preliminary-round standings, over the main window's rows.
class TfrmZLTTisk : public reports::ReportHolder {
    Q_OBJECT
public:
    TfrmZLTTisk();
    // The heading with the edition number, used while the details are confirmed.
    void headWithEdition(const QString& edition);
};

extern TfrmZLTTisk* frmZLTTisk;

}  // namespace zlt
