#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zlt::db {
class ResultSet;
}

namespace zlt::reports {

// Lengths of a report are millimetres; the stored page setup keeps tenths of a millimetre,
// and drivers give left edges in pixels of the 96 dpi design surface.
inline constexpr double kMmPerDesignPixel = 25.4 / 96.0;

struct FontSpec {
    QString family = QStringLiteral("Arial");
    double points = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor color = Qt::black;

    bool operator==(const FontSpec&) const = default;
};

enum class ElementKind { Label, DataText, Expression, SystemData, Image, Shape };
enum class Alignment { Left, Center, Right };

// One positioned element of a band; its box is relative to the band's top-left corner.
struct Element {
    std::string name;
    ElementKind kind = ElementKind::Label;
    double left = 0, top = 0, width = 0, height = 0;
    Alignment alignment = Alignment::Left;
    bool autoSize = true;
    bool transparent = false;      // data texts are; labels fill their box white first
    std::optional<FontSpec> font;  // none: the report's base font
    QString caption;               // label
    std::string dataField;         // data text
    std::string expression;        // expression: "COUNT"
    QImage picture;                // image; empty draws nothing
    // A text wider than the box prints in a smaller font, so that it fits the box's width.
    bool shrinkToFit = false;
    // An image scaled to fill its box rather than drawn at natural size.
    bool stretch = false;
    // A shape filled black rather than outlined: a line as thick as its box, hiding nothing
    // around it.
    bool solid = false;

    // Run-time changes of the drivers.
    // A new caption; with auto-size the width follows the text and the anchor of the
    // alignment (left edge, centre or right edge) stays where it was.
    void setCaption(const QString& text, const FontSpec& baseFont);
    void setLeftPixels(int designPixels) { left = designPixels * kMmPerDesignPixel; }
};

enum class BandKind { Title, Detail, Summary };

struct Band {
    std::string name;
    BandKind kind = BandKind::Detail;
    double height = 0;
    double width = 189.97;
    std::vector<Element> elements;  // in drawing order
};

// The paper as stored: bottom margin, paper length, top margin, paper width, left
// margin, right margin, column space, in tenths of a millimetre.
struct PageSetup {
    std::array<double, 7> values{100, 2970, 100, 2100, 100, 100, 0};
    bool landscape = false;

    double bottomMargin() const { return values[0] / 10; }
    double paperLength() const { return values[1] / 10; }
    double topMargin() const { return values[2] / 10; }
    double paperWidth() const { return values[3] / 10; }
    double leftMargin() const { return values[4] / 10; }
    // The paper as it lies, turned when landscape was chosen in "Printer setup".
    double sheetWidth() const { return landscape ? paperLength() : paperWidth(); }
    double sheetLength() const { return landscape ? paperWidth() : paperLength(); }
};

// What "Printer setup" chose for this report; first and last page 0 mean all pages.
struct PrinterSettings {
    QString printerName;  // empty: the system's default printer
    int copies = 1;
    int firstPage = 0;
    int lastPage = 0;
};

// Rows given as texts, for a report over something other than a result set: a data text
// prints the text of its field, and nothing is moved or written to print them.
struct TextRows {
    std::vector<std::string> fields;
    std::vector<std::vector<QString>> rows;  // each aligned with the fields

    std::optional<int> positionOf(const std::string& field) const;
};

struct ReportDefinition {
    std::string name;
    db::ResultSet* dataSet = nullptr;
    TextRows textRows;  // printed when there is no result set
    // Places the elements for the paper as the page setup now lies, before every
    // generation run: for a report whose layout follows the paper turned in "Printer setup".
    // The sheets have none.
    std::function<void(ReportDefinition&)> followPaper;
    PageSetup page;
    PrinterSettings printer;
    FontSpec baseFont;
    QString title;  // the preview's caption when not empty
    std::vector<Band> bands;
    // The fields a page made without a grid lists the result set's rows by, each ascending,
    // a row without a value after those with one; none: as the result set holds them.
    std::vector<std::string> rowOrder;

    // The element of that name in any band; throws std::out_of_range naming it.
    Element& element(const std::string& elementName);
    const Band* band(BandKind kind) const;
};

// The positions of the result set's rows in the order the report lists them.
std::vector<int> rowsInOrder(const ReportDefinition& report);

// Width in millimetres of one line of text in the font, as it prints.
double textWidth(const QString& text, const FontSpec& font);
// Height in millimetres of one line in the font, ascent and descent.
double lineHeight(const FontSpec& font);

}  // namespace zlt::reports
