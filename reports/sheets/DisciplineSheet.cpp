#include "reports/sheets/SheetParts.h"

namespace zlt::reports {

using namespace elements;

PenaltyColumn penaltyColumn(const SheetOptions& options) {
    if (!options.confirmed) {
        return {QString(20, QLatin1Char(' ')), {}};
    }
    if (options.penalties) {
        return {QStringLiteral("Penalizace"), "PENALIZACE"};
    }
    // Assigned by count: GCC 12 at -O3 takes a one-blank literal for an overlapping copy.
    return {QString(11, QLatin1Char(' ')), std::string(1, ' ')};
}

// The results of preliminary discipline 1 to 6; the sixth is the interim one.
ReportDefinition disciplineSheet(db::ResultSet& rows, const SheetOptions& options) {
    const auto bold = arial(10, true);
    const bool interim = options.discipline == 6;
    const QString prefix = interim
                               ? QStringLiteral("Výsledky 6.disciplíny - průběžné ")
                               : QStringLiteral("Výsledky %1.disciplíny ").arg(options.discipline);
    Element heading = label("QRLabel1", 46.57, 2.12, 50.01, 6.35,
                            QStringLiteral("Výsledky 1.disciplíny "), arial(15));
    // 176 and 140 pixels of the design surface: 46.57 and 37.04 mm.
    heading.setLeftPixels(interim ? 140 : 176);
    const std::string number = std::to_string(options.discipline);
    const PenaltyColumn penalty = penaltyColumn(options);
    Element penaltyHeader =
        label("QRLabel5", 156.63, 38.10, 21.43, 4.50, QString(20, QLatin1Char(' ')), bold);
    if (options.confirmed) {
        penaltyHeader.setCaption(penalty.header, kSheetFont);
    }
    ReportDefinition report = sheet(
        rows,
        {band("TitleBand1", BandKind::Title, 43.13,
              {captioned(heading, editionHeading(prefix, options.edition)),
               label("QRLabel2", 55.03, 38.10, 25.66, 4.50, QStringLiteral("Název družstva"), bold),
               label("QRLabel3", 129.12, 38.10, 15.35, 4.50, QStringLiteral("Výsledek"), bold),
               label("QRLabel4", 14.82, 38.10, 11.38, 4.50, QStringLiteral("Pořadí"), bold),
               captioned(label("QRlblD", 48.68, 21.17, 42.60, 5.29, QString(32, QLatin1Char(' ')),
                               arial(13, true)),
                         options.disciplineName),
               penaltyHeader}),
         band("DetailBand1", BandKind::Detail, 6.35,
              {rectangle("QRShape1", 6.35, 0, 177.54, 4.50),
               dataText("QRDBText1", 52.92, 0, 18.52, 4.50, "DRUZSTVO"),
               dataText("QRDBText2", 131.23, 0, 20.64, 4.50, ("DISCIPLINA" + number).c_str()),
               dataText("QRDBText3", 14.82, 0, 9.53, 4.50, ("BOD" + number).c_str(),
                        Alignment::Center),
               dataText("QRDBText4", 162.98, 0, 18.52, 4.50, penalty.field.c_str())}),
         band("SummaryBand1", BandKind::Summary, 35.98,
              {stamp(kDisciplineStamp, options),
               label("QRLabel7", 141.82, 16.93, 24.61, 4.50, QStringLiteral("Vytištěno dne : ")),
               date("QRSysData2", 167.22, 16.93, 9.53, 4.50),
               label("QRLabel6", 16.93, 16.93, 28.84, 4.50, QStringLiteral("Celkem družstev : ")),
               count("QRExpr1", 46.57, 16.93, 11.91, 4.50)})});
    return ordered(std::move(report), options, {"BOD" + number});
}

}  // namespace zlt::reports
