#pragma once

#include <QImage>
#include <QWidget>

namespace zlt::reports {

// A window that is never shown: it owns one printed sheet's report definition.
class ReportHolder : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // The season stamp printed in the sheet's summary; empty until the settings are
    // confirmed.
    void setStamp(const QImage& picture) { stamp_ = picture; }
    const QImage& stamp() const { return stamp_; }

private:
    QImage stamp_;
};

}  // namespace zlt::reports
