#include "reports/sheets/SheetParts.h"

namespace zlt::reports {

using namespace elements;

namespace {

Element header(const char* name, double left, double width, const char* caption) {
    return label(name, left, 37.04, width, 4.50, QString::fromUtf8(caption), arial(10, true));
}

// Every cell of a row stands at 0.53 mm and is 4.5 mm high.
Element cell(const char* name, double left, double width) {
    return rectangle(name, left, 0.53, width, 4.50);
}

Element value(const char* name, double left, double width, const char* field,
              Alignment alignment = Alignment::Center) {
    return dataText(name, left, 0.53, width, 4.50, field, alignment);
}

}  // namespace

// The preliminary round's standings; the heading names the edition once confirmed.
ReportDefinition standingsSheet(db::ResultSet& rows, const SheetOptions& options) {
    Element heading = label("QlblNapis", 27.52, 4.23, 111.39, 8.73,
                            QStringLiteral("Průběžné výsledky v základní části"), arial(20));
    if (options.confirmed) {
        heading.setCaption(QStringLiteral("Průběžné výsledky ") + options.edition +
                               QStringLiteral(".ZLT v základní části"),
                           kSheetFont);
    }
    ReportDefinition report = sheet(
        rows,
        {band("TitleBand1", BandKind::Title, 41.01,
              {heading, header("QRLabel1", 31.75, 14.55, "Družstvo"),
               header("QRLabel3", 92.08, 2.38, "I."), header("QRLabel5", 105.30, 3.44, "II."),
               header("QRLabel6", 116.95, 4.50, "III."), header("QRLabel7", 129.12, 4.76, "IV."),
               header("QRLabel8", 142.35, 3.70, "V."), header("QRLabel9", 154.52, 4.76, "VI."),
               header("QRLabel10", 164.04, 12.96, "Celkem"),
               label("QRLabel11", 5.29, 37.04, 11.38, 4.50, QStringLiteral("Pořadí"),
                     arial(10, true), Alignment::Center)}),
         band(
             "DetailBand1", BandKind::Detail, 5.5625,
             {cell("QRShape1", 6.35, 82.29),
              value("QRDBText4", 29.63, 18.52, "DRUZSTVO", Alignment::Left),
              cell("QRShape2", 86.78, 13.23), value("QRDBText2", 87.31, 9.53, "BOD1"),
              cell("QRShape3", 99.48, 13.23), value("QRDBText1", 100.54, 9.53, "BOD2"),
              cell("QRShape4", 112.18, 13.23), cell("QRShape5", 124.88, 13.23),
              cell("QRShape6", 137.58, 13.23), cell("QRShape7", 150.28, 13.23),
              cell("QRShape8", 162.98, 14.55), value("QRDBText3", 113.24, 9.53, "BOD3"),
              value("QRDBText5", 125.94, 9.53, "BOD4"), value("QRDBText6", 138.64, 9.53, "BOD5"),
              value("QRDBText7", 151.34, 9.53, "BOD6"), value("QRDBText8", 161.93, 14.55, "CELKEM"),
              value("QRDBText9", 6.35, 13.23, "PORADI")}),
         band("SummaryBand1", BandKind::Summary, 34.66,
              {count("QRExpr1", 44.45, 16.93, 11.91, 4.50),
               label("QRLabel2", 14.82, 16.93, 27.78, 4.50, QStringLiteral("Celkem družstev :")),
               date("QRSysData1", 161.40, 16.93, 9.53, 4.50),
               label("QRLabel4", 135.73, 16.93, 23.55, 4.50, QStringLiteral("Vytištěno dne :")),
               stamp(kStandingsStamp, options)})});
    return ordered(std::move(report), options, {"PORADI", "CELKEM"});
}

}  // namespace zlt::reports
