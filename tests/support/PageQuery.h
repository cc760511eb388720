#pragma once

#include <gtest/gtest.h>

#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <vector>

#include "reports/model/Page.h"

// Questions about what generated pages draw, asked of their drawing operations.
namespace zlt::test {

using DrawFilter = std::function<bool(const reports::DrawOp&)>;

// The operations of one kind on the page that pass the filter, in drawing order.
inline std::vector<reports::DrawOp> drawn(const reports::Page& page, reports::DrawOp::Kind kind,
                                          const DrawFilter& where = {}) {
    std::vector<reports::DrawOp> found;
    for (const reports::DrawOp& op : page.ops) {
        if (op.kind == kind && (!where || where(op)))
            found.push_back(op);
    }
    return found;
}

inline std::vector<reports::DrawOp> drawn(const std::vector<reports::Page>& pages,
                                          reports::DrawOp::Kind kind,
                                          const DrawFilter& where = {}) {
    std::vector<reports::DrawOp> found;
    for (const reports::Page& page : pages) {
        const auto onPage = drawn(page, kind, where);
        found.insert(found.end(), onPage.begin(), onPage.end());
    }
    return found;
}

// Every text the pages draw, in drawing order.
inline std::vector<QString> texts(const std::vector<reports::Page>& pages) {
    std::vector<QString> all;
    for (const reports::DrawOp& op : drawn(pages, reports::DrawOp::Kind::Text))
        all.push_back(op.text);
    return all;
}

// Where the page draws exactly this text, in drawing order.
inline std::vector<QRectF> boxesOf(const reports::Page& page, const QString& text) {
    std::vector<QRectF> boxes;
    for (const reports::DrawOp& op :
         drawn(page, reports::DrawOp::Kind::Text,
               [&](const reports::DrawOp& op) { return op.text == text; }))
        boxes.push_back(op.box);
    return boxes;
}

// Where the page first draws this text; the test fails when it does not draw it at all.
inline QRectF boxOf(const reports::Page& page, const QString& text) {
    const auto boxes = boxesOf(page, text);
    if (boxes.empty()) {
        ADD_FAILURE() << "the page draws no \"" << text.toStdString() << "\"";
        return {};
    }
    return boxes.front();
}

using Lines = std::vector<std::vector<QString>>;

// The non-empty cell texts of each row of the page's table.
inline Lines tableRows(const QString& html) {
    static const QRegularExpression row(QStringLiteral("<tr>(.*?)</tr>"));
    static const QRegularExpression cell(QStringLiteral("<t[hd][^>]*>([^<]*)</t[hd]>"));
    Lines rows;
    for (const auto& found : row.globalMatch(html)) {
        std::vector<QString> cells;
        for (const auto& text : cell.globalMatch(found.captured(1))) {
            if (!text.captured(1).isEmpty())
                cells.push_back(text.captured(1));
        }
        rows.push_back(cells);
    }
    return rows;
}

// The printed texts line by line: those at one height of a page, from left to right.
inline Lines printedLines(const std::vector<reports::Page>& pages) {
    Lines lines;
    for (const reports::Page& page : pages) {
        std::map<long, std::vector<reports::DrawOp>> byTop;
        for (const reports::DrawOp& op : drawn(page, reports::DrawOp::Kind::Text))
            byTop[std::lround(op.box.top() * 100)].push_back(op);
        for (auto& [top, ops] : byTop) {
            std::sort(ops.begin(), ops.end(),
                      [](const auto& a, const auto& b) { return a.box.left() < b.box.left(); });
            std::vector<QString> line;
            for (const reports::DrawOp& op : ops) {
                if (!op.text.trimmed().isEmpty())
                    line.push_back(op.text.trimmed());
            }
            if (!line.empty())
                lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace zlt::test
