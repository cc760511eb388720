#pragma once

#include <QImage>
#include <QWidget>

#include "competition/Competition.h"
#include "reports/model/Report.h"
#include "reports/sheets/Sheets.h"

namespace zlt::reports {

// A sheet made anew keeps the paper and the printer chosen for the one before it.
inline void takeMade(ReportDefinition& held, ReportDefinition made) {
    made.page = held.page;
    made.printer = held.printer;
    held = std::move(made);
}

// A window that is never shown, as the print drivers know it: it holds one printed sheet,
// made by the sheet's maker over the competition's rows from the options as they stand,
// and made anew when the details are confirmed or the finals mode changes.
class ReportHolder : public QWidget {
    Q_OBJECT
public:
    using Maker = ReportDefinition (*)(db::ResultSet&, const SheetOptions&);
    ReportHolder(Maker maker, db::ResultSet& rows, competition::Competition& competition);

    // The season stamp printed in the sheet's summary; empty until the details are
    // confirmed.
    void setStamp(const QImage& picture);
    const QImage& stamp() const { return options_.stamp; }

    ReportDefinition QuickRep1;

protected:
    // The competition's options as they stand, with this sheet's discipline and stamp.
    SheetOptions current() const;
    void make(const SheetOptions& options);
    const SheetOptions& options() const { return options_; }

private:
    Maker maker_;
    db::ResultSet& rows_;
    competition::Competition& competition_;
    SheetOptions options_;
};

}  // namespace zlt::reports
