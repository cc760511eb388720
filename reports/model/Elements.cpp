#include "reports/model/Elements.h"

namespace zlt::reports::elements {
namespace {

Element box(const char* name, ElementKind kind, double left, double top, double width,
            double height) {
    Element element;
    element.name = name;
    element.kind = kind;
    element.left = left;
    element.top = top;
    element.width = width;
    element.height = height;
    return element;
}

}  // namespace

FontSpec arial(double points, bool bold) {
    FontSpec font;
    font.points = points;
    font.bold = bold;
    return font;
}

Element label(const char* name, double left, double top, double width, double height,
              const QString& caption, std::optional<FontSpec> font, Alignment alignment) {
    Element element = box(name, ElementKind::Label, left, top, width, height);
    element.caption = caption;
    element.font = std::move(font);
    element.alignment = alignment;
    return element;
}

Element dataText(const char* name, double left, double top, double width, double height,
                 const char* field, Alignment alignment) {
    Element element = box(name, ElementKind::DataText, left, top, width, height);
    element.dataField = field;
    element.alignment = alignment;
    element.transparent = true;
    return element;
}

Element count(const char* name, double left, double top, double width, double height) {
    Element element = box(name, ElementKind::Expression, left, top, width, height);
    element.expression = "COUNT";
    return element;
}

Element date(const char* name, double left, double top, double width, double height) {
    return box(name, ElementKind::SystemData, left, top, width, height);
}

Element image(const char* name, double left, double top, double width, double height) {
    Element element = box(name, ElementKind::Image, left, top, width, height);
    element.autoSize = false;
    return element;
}

Element rectangle(const char* name, double left, double top, double width, double height) {
    Element element = box(name, ElementKind::Shape, left, top, width, height);
    element.autoSize = false;
    return element;
}

Element bar(const char* name, double left, double top, double width, double height) {
    Element element = rectangle(name, left, top, width, height);
    element.solid = true;
    return element;
}

Band band(const char* name, BandKind kind, double height, std::vector<Element> elements) {
    return Band{name, kind, height, 189.97, std::move(elements)};
}

ReportDefinition sheet(db::ResultSet& rows, std::vector<Band> bands) {
    ReportDefinition report;
    report.name = "QuickRep1";
    report.dataSet = &rows;
    report.bands = std::move(bands);
    return report;
}

}  // namespace zlt::reports::elements
