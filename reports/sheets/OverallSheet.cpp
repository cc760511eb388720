#include "reports/sheets/SheetParts.h"

namespace zlt::reports {

using namespace elements;

// The overall standings, both rounds' totals beside the overall rank.
ReportDefinition overallSheet(db::ResultSet& rows, const SheetOptions& options) {
    const auto bold = arial(10, true);
    ReportDefinition report = sheet(
        rows,
        // The detail band comes first in the stored definition; bands print by kind.
        {band("DetailBand1", BandKind::Detail, 6.35,
              {rectangle("QRShape1", 19.05, 0, 162.45, 4.50),
               dataText("QRDBText3", 16.93, 0, 13.23, 4.50, "PORADI", Alignment::Right),
               dataText("QRDBText1", 57.15, 0, 18.52, 4.50, "DRUZSTVO"),
               dataText("QRDBText2", 126.21, 0, 14.55, 4.50, "CELKEM", Alignment::Center),
               dataText("QRDBText4", 157.96, 0, 16.67, 4.50, "CELKEMF", Alignment::Center)}),
         band("TitleBand1", BandKind::Title, 43.13,
              {captioned(label("QRlbl1", 50.80, 0, 96.57, 7.94,
                               QStringLiteral("Celkové pořadí Zeltoria"), arial(18, true)),
                         options.confirmed
                             ? editionHeading(QStringLiteral("Celkové pořadí "), options.edition)
                             : QStringLiteral("Celkové pořadí Zeltoria")),
               captioned(label("QRlbl2", 67.73, 16.93, 37.31, 7.94, QString(28, QLatin1Char(' ')),
                               arial(13, true)),
                         options.confirmed ? options.place : QString(11, QLatin1Char(' '))),
               label("QRLabel1", 23.28, 38.10, 11.38, 4.50, QStringLiteral("Pořadí"), bold),
               label("QRLabel2", 57.15, 38.10, 25.66, 4.50, QStringLiteral("Název družstva"), bold),
               label("QRLabel3", 121.97, 38.10, 22.23, 4.50, QStringLiteral("Základní část"), bold),
               label("QRLabel6", 160.07, 38.10, 10.85, 4.50, QStringLiteral("Finále"), bold)}),
         band("SummaryBand1", BandKind::Summary, 38.10,
              {stamp(kOverallStamp, options),
               label("QRLabel4", 25.40, 16.93, 28.84, 4.50, QStringLiteral("Celkem družstev : ")),
               count("QRExpr1", 55.03, 16.93, 11.91, 4.50),
               label("QRLabel5", 127.00, 16.93, 24.61, 4.50, QStringLiteral("Vytištěno dne : ")),
               date("QRSysData1", 152.40, 16.93, 13.49, 4.50)})});
    return ordered(std::move(report), options, {"PORADI", "CELKEM"});
}

}  // namespace zlt::reports
