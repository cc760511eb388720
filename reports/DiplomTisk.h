#pragma once

#include <QWidget>
#include <vector>

#include "competition/Diplomas.h"
#include "reports/sheets/DiplomaSheet.h"

namespace zlt {

// Holds the diplomas for the print drivers: the sheet the diploma maker makes; the paper
// and printer chosen stay across new makings.
class TfrmDiplomTisk : public QWidget {
    Q_OBJECT
public:
    TfrmDiplomTisk();

    // The diplomas of the teams, in their order, showing what the options hold.
    void prepare(const std::vector<competition::DiplomaTeam>& teams,
                 const reports::DiplomaOptions& options);

    reports::ReportDefinition QuickRep1;
};

}  // namespace zlt
