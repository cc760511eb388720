#include "reports/model/HtmlPage.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <vector>

#include "database/ResultSet.h"
#include "reports/model/Generator.h"

namespace zlt::reports {
namespace {

// Enough for a table that reads well on a phone as on a screen, with nothing fetched.
constexpr const char* kStyle =
    "body{font-family:Arial,sans-serif;margin:1em}"
    "table{border-collapse:collapse}"
    "th,td{border:1px solid #888;padding:.2em .6em;text-align:left}"
    ".c{text-align:center}.r{text-align:right}";

struct Column {
    const Element* cell;
    QString header;
};

double overlap(const Element& a, const Element& b) {
    return std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
}

bool showsText(const Element& element) {
    return element.kind != ElementKind::Shape && element.kind != ElementKind::Image;
}

// A data text over no field of the rows prints nothing on any row: it makes no column.
std::vector<Column> columnsOf(const Band& detail, const db::ResultSet& rows) {
    std::vector<Column> columns;
    for (const Element& element : detail.elements) {
        const bool blank = element.kind == ElementKind::DataText &&
                           !rows.fields().positionOf(element.dataField).has_value();
        if (showsText(element) && !blank) {
            columns.push_back({&element, {}});
        }
    }
    std::stable_sort(columns.begin(), columns.end(),
                     [](const Column& a, const Column& b) { return a.cell->left < b.cell->left; });
    return columns;
}

// The column a title label heads: the one it overlaps most, when the label stands just
// above the first row (its bottom within one row's height of the title band's bottom).
Column* headedColumn(const Element& label, const Band& title, const Band& detail,
                     std::vector<Column>& columns) {
    if (label.kind != ElementKind::Label ||
        label.top + label.height < title.height - detail.height) {
        return nullptr;
    }
    Column* best = nullptr;
    double most = 0;
    for (Column& column : columns) {
        const double shared = overlap(label, *column.cell);
        if (shared > most) {
            most = shared;
            best = &column;
        }
    }
    return best;
}

std::vector<const Element*> byLines(const Band& band) {
    std::vector<const Element*> elements;
    for (const Element& element : band.elements) {
        if (showsText(element)) {
            elements.push_back(&element);
        }
    }
    std::stable_sort(elements.begin(), elements.end(), [](const Element* a, const Element* b) {
        return a->top != b->top ? a->top < b->top : a->left < b->left;
    });
    return elements;
}

QString escaped(const QString& text) {
    return text.trimmed().toHtmlEscaped();
}

QString alignmentClass(Alignment alignment) {
    switch (alignment) {
        case Alignment::Center:
            return QStringLiteral(" class=\"c\"");
        case Alignment::Right:
            return QStringLiteral(" class=\"r\"");
        default:
            return {};
    }
}

class PageWriter {
public:
    explicit PageWriter(const ReportDefinition& report)
        : report_(report), rows_(*report.dataSet), count_(rows_.recordCount()) {
        const Band* detail = report.band(BandKind::Detail);
        if (detail != nullptr) {
            columns_ = columnsOf(*detail, rows_);
        }
    }

    HtmlPage page() {
        // The heading first: it gives the columns their headers.
        QString body = heading();
        body += table();
        body += summary();
        if (title_.isEmpty()) {
            title_ = QString::fromStdString(report_.name);
        }
        return {title_, htmlDocument(title_, body)};
    }

private:
    // Title labels heading no column, a line each; the first is the page's title.
    QString heading() {
        const Band* title = report_.band(BandKind::Title);
        const Band* detail = report_.band(BandKind::Detail);
        if (title == nullptr) {
            return {};
        }
        QString html;
        for (const Element* element : byLines(*title)) {
            Column* headed =
                detail != nullptr ? headedColumn(*element, *title, *detail, columns_) : nullptr;
            const QString text = textOf(*element, std::nullopt).trimmed();
            if (headed != nullptr) {
                headed->header = text;
            } else if (!text.isEmpty() && title_.isEmpty()) {
                title_ = text;
                html += QStringLiteral("<h1>") + text.toHtmlEscaped() + QStringLiteral("</h1>\n");
            } else if (!text.isEmpty()) {
                html += QStringLiteral("<h2>") + text.toHtmlEscaped() + QStringLiteral("</h2>\n");
            }
        }
        return html;
    }

    QString table() const {
        QString html = QStringLiteral("<table>\n<thead><tr>");
        for (const Column& column : columns_) {
            html += QStringLiteral("<th>") + escaped(column.header) + QStringLiteral("</th>");
        }
        html += QStringLiteral("</tr></thead>\n<tbody>\n");
        for (const int row : rowsInOrder(report_)) {
            html += QStringLiteral("<tr>");
            for (const Column& column : columns_) {
                html += QStringLiteral("<td") + alignmentClass(column.cell->alignment) + '>' +
                        escaped(textOf(*column.cell, row)) + QStringLiteral("</td>");
            }
            html += QStringLiteral("</tr>\n");
        }
        return html + QStringLiteral("</tbody>\n</table>\n");
    }

    // A label starts a line; the values beside it (the count, the date) follow on it.
    QString summary() const {
        const Band* summary = report_.band(BandKind::Summary);
        if (summary == nullptr) {
            return {};
        }
        QStringList lines;
        for (const Element* element : byLines(*summary)) {
            const QString text = escaped(textOf(*element, std::nullopt));
            if (element->kind == ElementKind::Label || lines.isEmpty()) {
                lines.append(text);
            } else {
                lines.last() += ' ' + text;
            }
        }
        QString html;
        for (const QString& line : lines) {
            html += QStringLiteral("<p>") + line + QStringLiteral("</p>\n");
        }
        return html;
    }

    QString textOf(const Element& element, std::optional<int> row) const {
        return elementText(element, report_, row, count_);
    }

    const ReportDefinition& report_;
    const db::ResultSet& rows_;
    const int count_;
    std::vector<Column> columns_;
    QString title_;
};

}  // namespace

HtmlPage htmlPage(const ReportDefinition& report) {
    if (report.dataSet == nullptr) {
        throw std::logic_error(report.name + ": the report has no result set");
    }
    report.dataSet->requireActive();
    return PageWriter(report).page();
}

QString htmlDocument(const QString& title, const QString& body, const QString& head) {
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"cs\">\n<head>\n<meta charset=\"utf-8\">\n"
               "<meta name=\"viewport\" content=\"width=device-width\">\n<title>") +
           title.toHtmlEscaped() + QStringLiteral("</title>\n<style>") +
           QString::fromLatin1(kStyle) + QStringLiteral("</style>\n") + head +
           QStringLiteral("</head>\n<body>\n") + body + QStringLiteral("</body>\n</html>\n");
}

}  // namespace zlt::reports
