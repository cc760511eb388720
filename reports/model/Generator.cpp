#include "reports/model/Generator.h"

#include <QDate>
#include <QLocale>
#include <optional>
#include <stdexcept>

#include "database/ResultSet.h"

namespace zlt::reports {
namespace {

// Rounding of the stored tenths must not push a band that just fits onto the next page.
constexpr double kTolerance = 1e-6;

class PageBuilder {
public:
    explicit PageBuilder(const ReportDefinition& report) : report_(report), setup_(report.page) {
        newPage();
    }

    // Prints one band at the current position, starting a new page first when it does not
    // fit; a band taller than the printable height prints where it is.
    void print(const Band& band, const db::ResultSet* rows, std::optional<int> row) {
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
            draw(element, rows, row);
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

    void draw(const Element& element, const db::ResultSet* rows, std::optional<int> row) {
        const double x = setup_.leftMargin() + element.left;
        const double y = position_ + element.top;
        Page& page = pages_.back();
        switch (element.kind) {
            case ElementKind::Shape:
                page.ops.push_back({DrawOp::Kind::Rectangle,
                                    QRectF(x, y, element.width, element.height),
                                    {},
                                    {},
                                    {}});
                return;
            case ElementKind::Image:
                if (!element.picture.isNull()) {
                    page.ops.push_back({DrawOp::Kind::Picture,
                                        QRectF(x, y, element.width, element.height),
                                        {},
                                        {},
                                        element.picture});
                }
                return;
            default:
                break;
        }
        const FontSpec font = element.font.value_or(report_.baseFont);
        const QString text = elementText(element, rows, row, countShown_.value_or(detailCount_));
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
        const QRectF box(left, y, width, element.height);
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

QString elementText(const Element& element, const db::ResultSet* rows, std::optional<int> row,
                    int count) {
    switch (element.kind) {
        case ElementKind::Label:
            return element.caption;
        case ElementKind::DataText: {
            if (!row || rows == nullptr)
                return {};
            const auto position = rows->fields().positionOf(element.dataField);
            if (!position)
                return {};
            return QString::fromStdString(db::displayText(rows->value(*row, *position)));
        }
        case ElementKind::Expression:
            return element.expression == "COUNT" ? QString::number(count) : QString();
        case ElementKind::SystemData:
            return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
        default:
            return {};
    }
}

std::vector<Page> generate(const ReportDefinition& report, const GenerationProgress& progress) {
    if (report.dataSet == nullptr) {
        throw std::logic_error(report.name + ": the report has no result set");
    }
    db::ResultSet& rows = *report.dataSet;
    rows.requireActive();
    rows.checkBrowseMode();
    PageBuilder builder(report);
    const Band* title = report.band(BandKind::Title);
    const Band* detail = report.band(BandKind::Detail);
    const Band* summary = report.band(BandKind::Summary);
    if (title != nullptr)
        builder.print(*title, &rows, std::nullopt);
    const int total = rows.recordCount();
    if (total == 0) {
        // The report prints even without rows: one empty detail band, and a count of no
        // teams rather than of that empty band.
        if (detail != nullptr)
            builder.print(*detail, &rows, std::nullopt);
        builder.countRowsAs(0);
    } else {
        rows.first();
        for (int done = 1;; ++done) {
            if (detail != nullptr)
                builder.print(*detail, &rows, rows.recNo());
            if (progress)
                progress(done, total);
            if (rows.recNo() >= total - 1)
                break;
            rows.next();
        }
    }
    if (summary != nullptr)
        builder.print(*summary, &rows, std::nullopt);
    return std::move(builder).pages();
}

}  // namespace zlt::reports
