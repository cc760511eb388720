#pragma once

#include "reports/model/Report.h"

// Short constructors for describing a report definition as a table of elements. Lengths
// are millimetres relative to the band; texts print in the base font unless given one.
namespace zlt::reports::elements {

FontSpec arial(double points, bool bold = false);

Element label(const char* name, double left, double top, double width, double height,
              const QString& caption, std::optional<FontSpec> font = std::nullopt,
              Alignment alignment = Alignment::Left);
Element dataText(const char* name, double left, double top, double width, double height,
                 const char* field, Alignment alignment = Alignment::Left);
Element count(const char* name, double left, double top, double width, double height);
Element date(const char* name, double left, double top, double width, double height);
Element image(const char* name, double left, double top, double width, double height);
Element rectangle(const char* name, double left, double top, double width, double height);
// A black line as thick as its box: wide and low across, narrow and high upright.
Element bar(const char* name, double left, double top, double width, double height);

Band band(const char* name, BandKind kind, double height, std::vector<Element> elements);

// A report with the settings every sheet shares: A4 portrait, 10 mm margins, Arial 10 pt,
// printed even without rows, over the given result set.
ReportDefinition sheet(db::ResultSet& rows, std::vector<Band> bands);

}  // namespace zlt::reports::elements
