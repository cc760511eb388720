#include "reports/model/Generator.h"

#include <QDate>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <optional>

#include "database/ResultSet.h"

namespace zlt::reports {
namespace {

// Rounding of the stored tenths must not push a band that just fits onto the next page.
constexpr double kTolerance = 1e-6;

// The font made smaller in steps of a tenth of a point until the text fits the width; no
// smaller than a point, where any name of a team's length fits any box of these reports.
FontSpec fitted(const QString& text, FontSpec font, double width) {
    constexpr double kSmallest = 1;
    for (double wide = textWidth(text, font); wide > width && font.points > kSmallest;
         wide = textWidth(text, font)) {
        const double smaller = std::floor(font.points * width / wide * 10) / 10;
        font.points = std::max(kSmallest, std::min(smaller, font.points - 0.1));
    }
    return font;
}

class PageBuilder {
public:
    explicit PageBuilder(const ReportDefinition& report) : report_(report), setup_(report.page) {
        newPage();
    }

    // Prints one band at the current position, starting a new page first when it does not
    // fit; a band taller than the printable height prints where it is.
    void print(const Band& band, std::optional<int> row) {
        const double bottom = setup_.sheetLength() - setup_.bottomMargin();
        const double printable = bottom - setup_.topMargin();
        if (band.height > bottom - position_ + kTolerance &&
            band.height <= printable + kTolerance) {
            newPage();
        }
        if (band.kind == BandKind::Detail) {
            ++detailCount_;
        }
        for (const Element& element : band.elements) {
            draw(element, row);
        }
        position_ += band.height;
    }

    std::vector<Page> pages() && { return std::move(pages_); }
    void countRowsAs(int count) { countShown_ = count; }

private:
    void newPage() {
        Page page;
        page.width = setup_.sheetWidth();
        page.height = setup_.sheetLength();
        pages_.push_back(std::move(page));
        position_ = setup_.topMargin();
    }

    void draw(const Element& element, std::optional<int> row) {
        const double x = setup_.leftMargin() + element.left;
        const double y = position_ + element.top;
        Page& page = pages_.back();
        switch (element.kind) {
            case ElementKind::Shape:
                page.ops.push_back({element.solid ? DrawOp::Kind::Bar : DrawOp::Kind::Rectangle,
                                    QRectF(x, y, element.width, element.height),
                                    {},
                                    {},
                                    {}});
                return;
            case ElementKind::Image:
                if (!element.picture.isNull()) {
                    page.ops.push_back(
                        {element.stretch ? DrawOp::Kind::ScaledPicture : DrawOp::Kind::Picture,
                         QRectF(x, y, element.width, element.height),
                         {},
                         {},
                         element.picture});
                }
                return;
            default:
                break;
        }
        const QString text = elementText(element, report_, row, countShown_.value_or(detailCount_));
        FontSpec font = element.font.value_or(report_.baseFont);
        double top = y;
        if (element.shrinkToFit) {
            // The smaller line stays centred on the line the box was made for.
            const double designed = lineHeight(font);
            font = fitted(text, font, element.width);
            top += (designed - lineHeight(font)) / 2;
        }
        double left = x;
        double width = element.width;
        if (element.autoSize) {
            // The text's own width, anchored as the alignment says.
            width = textWidth(text, font);
            if (element.alignment == Alignment::Center) {
                left = x + (element.width - width) / 2;
            } else if (element.alignment == Alignment::Right) {
                left = x + element.width - width;
            }
        }
        const QRectF box(left, top, width, element.height - (top - y));
        if (!element.transparent) {
            page.ops.push_back({DrawOp::Kind::Fill, box, {}, {}, {}});
        }
        if (!text.isEmpty()) {
            page.ops.push_back({DrawOp::Kind::Text, box, text, font, {}});
        }
    }

    const ReportDefinition& report_;
    const PageSetup& setup_;
    std::vector<Page> pages_;
    double position_ = 0;
    int detailCount_ = 0;
    std::optional<int> countShown_;
};

}  // namespace

QString elementText(const Element& element, const ReportDefinition& report, std::optional<int> row,
                    int count) {
    switch (element.kind) {
        case ElementKind::Label:
            return element.caption;
        case ElementKind::DataText: {
            if (!row)
                return {};
            if (const db::ResultSet* rows = report.dataSet) {
                const auto position = rows->fields().positionOf(element.dataField);
                if (!position)
                    return {};
                return QString::fromStdString(db::displayText(rows->value(*row, *position)));
            }
            const auto position = report.textRows.positionOf(element.dataField);
            const auto& texts = report.textRows.rows;
            if (!position || *row >= static_cast<int>(texts.size()))
                return {};
            return texts[static_cast<std::size_t>(*row)].at(static_cast<std::size_t>(*position));
        }
        case ElementKind::Expression:
            return element.expression == "COUNT" ? QString::number(count) : QString();
        case ElementKind::SystemData:
            return sheetDate(QDate::currentDate());
        default:
            return {};
    }
}

QString sheetDate(const QDate& date, const QLocale& locale) {
    if (locale.language() != QLocale::C) {
        return locale.toString(date, QLocale::ShortFormat);
    }
    // A machine with no locale set (a fresh server, a CI runner) would print the C locale's
    // English "5 Mar 2026" on a Czech sheet. The Czech short form instead, with the whole
    // year as Czech sheets write it: the locale's own "dd.MM.yy" cuts it to two digits.
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

std::vector<Page> generate(const ReportDefinition& report, const GenerationProgress& progress) {
    if (report.followPaper) {
        ReportDefinition laidOut = report;
        laidOut.followPaper = nullptr;
        report.followPaper(laidOut);
        return generate(laidOut, progress);
    }
    db::ResultSet* const rows = report.dataSet;
    if (rows != nullptr) {
        rows->requireActive();
        rows->checkBrowseMode();
    }
    PageBuilder builder(report);
    const Band* title = report.band(BandKind::Title);
    const Band* detail = report.band(BandKind::Detail);
    const Band* summary = report.band(BandKind::Summary);
    if (title != nullptr)
        builder.print(*title, std::nullopt);
    const int total =
        rows != nullptr ? rows->recordCount() : static_cast<int>(report.textRows.rows.size());
    if (total == 0) {
        // The report prints even without rows: one empty detail band, and a count of no
        // teams rather than of that empty band.
        if (detail != nullptr)
            builder.print(*detail, std::nullopt);
        builder.countRowsAs(0);
    } else {
        // A result set is walked, as the grid follows; text rows are only read.
        if (rows != nullptr)
            rows->first();
        for (int done = 1;; ++done) {
            if (detail != nullptr)
                builder.print(*detail, rows != nullptr ? rows->recNo() : done - 1);
            if (progress)
                progress(done, total);
            if (done >= total)
                break;
            if (rows != nullptr)
                rows->next();
        }
    }
    if (summary != nullptr)
        builder.print(*summary, std::nullopt);
    return std::move(builder).pages();
}

}  // namespace zlt::reports
