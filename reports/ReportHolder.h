#pragma once

#include <QImage>
#include <QWidget>

#include "reports/model/Report.h"

namespace zlt::reports {

// A window that is never shown: it owns one printed sheet's report definition.
class ReportHolder : public QWidget {
    Q_OBJECT
public:
    explicit ReportHolder(ReportDefinition definition) : QuickRep1(std::move(definition)) {}

    // The season stamp printed in the sheet's summary; empty until the settings are
    // confirmed.
    void setStamp(const QImage& picture) { QuickRep1.element("QRImage1").picture = picture; }
    const QImage& stamp() { return QuickRep1.element("QRImage1").picture; }

    // Gives a label a new caption, keeping the anchor of its alignment.
    void setCaption(const std::string& label, const QString& caption) {
        QuickRep1.element(label).setCaption(caption, QuickRep1.baseFont);
    }
    const QString& caption(const std::string& label) { return QuickRep1.element(label).caption; }

    ReportDefinition QuickRep1;
};

}  // namespace zlt::reports
