#pragma once

#include <QImage>
#include <QWidget>

#include "competition/EventDetails.h"
#include "reports/model/Report.h"

namespace zlt::reports {

// A heading of the event's edition as every sheet composes it: the text before, the
// edition number exactly as typed, ".Zeltoria", with nothing put between them.
inline QString editionHeading(const QString& before, const QString& edition) {
    return before + edition + QStringLiteral(".Zeltoria");
}

// A window that is never shown: it owns one printed sheet's report definition, whose
// stamp follows the event's details as confirmed.
class ReportHolder : public QWidget {
    Q_OBJECT
public:
    ReportHolder(ReportDefinition definition, const competition::EventDetails& details)
        : QuickRep1(std::move(definition)) {
        connect(&details, &competition::EventDetails::confirmed, this,
                [this, &details] { setStamp(details.seasonStamp()); });
    }

    // The season stamp printed in the sheet's summary; empty until the details are
    // confirmed.
    void setStamp(const QImage& picture) { QuickRep1.element("QRImage1").picture = picture; }
    const QImage& stamp() { return QuickRep1.element("QRImage1").picture; }

    // Gives a label a new caption, keeping the anchor of its alignment.
    void setCaption(const std::string& label, const QString& caption) {
        QuickRep1.element(label).setCaption(caption, QuickRep1.baseFont);
    }
    const QString& caption(const std::string& label) { return QuickRep1.element(label).caption; }

    // Prints other rows than the competition's, of the same table: the committed ones, for
    // pages that must never show a row still being typed.
    void readFrom(db::ResultSet& rows) { QuickRep1.dataSet = &rows; }

    ReportDefinition QuickRep1;
};

}  // namespace zlt::reports
