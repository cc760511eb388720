#include "reports/sheets/SheetParts.h"

namespace zlt::reports {

using namespace elements;

// The results of final discipline 1 to 3.
ReportDefinition finalDisciplineSheet(db::ResultSet& rows, const SheetOptions& options) {
    const auto bold = arial(10, true);
    const std::string number = std::to_string(options.discipline);
    ReportDefinition report = sheet(
        rows,
        {band("TitleBand1", BandKind::Title, 43.13,
              {captioned(
                   label("QRLabel1", 38.10, 2.12, 70.64, 6.35,
                         QStringLiteral("Výsledky 1. finálové disciplíny "), arial(15)),
                   editionHeading(
                       QStringLiteral("Výsledky %1.finálové disciplíny ").arg(options.discipline),
                       options.edition)),
               label("QRLabel2", 50.80, 38.10, 14.55, 4.50, QStringLiteral("Družstvo"), bold),
               label("QRLabel3", 139.70, 38.10, 15.08, 4.50, QStringLiteral("Výsledky"), bold),
               label("QRLabel4", 10.05, 38.10, 11.38, 4.50, QStringLiteral("Pořadí"), bold),
               captioned(label("QRlblFD", 44.45, 21.17, 33.34, 5.29, QString(25, QLatin1Char(' ')),
                               arial(13, true)),
                         options.disciplineName)}),
         band("DetailBand1", BandKind::Detail, 6.35,
              {rectangle("QRShape1", 6.35, 0, 177.54, 4.50),
               dataText("QRDBText1", 48.15, 0, 18.52, 4.50, "DRUZSTVO"),
               dataText("QRDBText2", 141.29, 0, 22.75, 4.50, ("FDISCIPLINA" + number).c_str()),
               dataText("QRDBText3", 10.05, 0, 11.64, 4.50, ("FBOD" + number).c_str(),
                        Alignment::Center)}),
         band("SummaryBand1", BandKind::Summary, 38.10,
              {count("QRExpr1", 50.80, 16.93, 11.91, 4.50),
               date("QRSysData1", 160.87, 16.93, 9.53, 4.50),
               label("QRLabel5", 21.17, 16.93, 27.78, 4.50, QStringLiteral("Celkem družstev :")),
               label("QRLabel6", 135.47, 16.93, 23.55, 4.50, QStringLiteral("Vytištěno dne :")),
               stamp(kFinalDisciplineStamp, options)})});
    return ordered(std::move(report), options, {"FBOD" + number});
}

}  // namespace zlt::reports
