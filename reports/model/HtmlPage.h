#pragma once

#include <QString>

#include "reports/model/Report.h"

namespace zlt::reports {

struct HtmlPage {
    QString title;  // the heading's first line
    QString html;
};

// The report as one self-contained HTML5 page with what its printed pages show: the title
// band's labels as the heading; one table row per row of the result set, in its current
// order, with the detail band's texts as cells from left to right, each column headed by
// the title label that stands over it; the summary band's texts after the table.
// The rows are read where they are: the current row stays current, and a row being typed
// is neither written nor dropped (it shows as typed, as in the grid).
HtmlPage htmlPage(const ReportDefinition& report);

// A whole HTML5 document in Czech around the body, which must already be escaped, as must
// what the head is given besides the title and the style.
QString htmlDocument(const QString& title, const QString& body, const QString& head = {});

}  // namespace zlt::reports
