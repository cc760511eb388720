#pragma once

#include <QWidget>

namespace zlt::reports {

// A window that is never shown: it owns one printed sheet's report definition.
class ReportHolder : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

}  // namespace zlt::reports
