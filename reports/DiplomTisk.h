#pragma once

#include <QImage>
#include <QWidget>
#include <vector>

#include "competition/Diplomas.h"
#include "competition/EventDetails.h"
#include "reports/sheets/DiplomaSheet.h"

namespace zlt {

// Holds the diplomas for the print drivers: the sheet the diploma maker makes, with the
// season's stamp as confirmed; the paper and printer chosen stay across new makings.
class TfrmDiplomTisk : public QWidget {
    Q_OBJECT
public:
    // The stamp is the season's as confirmed, and follows later confirmations.
    explicit TfrmDiplomTisk(const competition::EventDetails& details);

    void setStamp(const QImage& picture);
    // The diplomas of the teams, in their order, from the details as they stand.
    void prepare(const competition::EventDetails& details,
                 const std::vector<competition::DiplomaTeam>& teams, bool landscape,
                 const QImage& background);

    reports::ReportDefinition QuickRep1;

private:
    void make();

    std::vector<competition::DiplomaTeam> teams_;
    reports::DiplomaOptions options_;
};

}  // namespace zlt
