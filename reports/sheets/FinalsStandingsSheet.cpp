#include "reports/sheets/SheetParts.h"

namespace zlt::reports {

using namespace elements;

namespace {

Element header(const char* name, double left, double width, const QString& caption,
               Alignment alignment = Alignment::Left) {
    return label(name, left, 40.22, width, 4.50, caption, arial(10, true), alignment);
}

}  // namespace

// The finals standings: in continuation mode with the starting value each finalist
// brought from the preliminary round under a second "Pořadí".
ReportDefinition finalsStandingsSheet(db::ResultSet& rows, const SheetOptions& options) {
    const auto centre = Alignment::Center;
    const bool continuing = options.finalsMode == competition::FinalsMode::Pokracovani;
    Element startingHeader = header("QRlblPoradiF", 71.44, 16.14, QString(15, QLatin1Char(' ')));
    if (continuing) {
        startingHeader.setCaption(QStringLiteral("Pořadí"), kSheetFont);
    }
    ReportDefinition report = sheet(
        rows,
        {band("TitleBand1", BandKind::Title, 45.24,
              {captioned(label("QRLabel1", 31.75, 0, 112.18, 8.73,
                               QStringLiteral("Finálové výsledky Zeltoria"), arial(20)),
                         options.confirmed
                             ? editionHeading(QStringLiteral("Finálové pořadí "), options.edition)
                             : QStringLiteral("Celkové pořadí Zeltoria")),
               captioned(label("QRLabel10", 61.91, 19.05, 38.63, 7.94,
                               QString(29, QLatin1Char(' ')), arial(13)),
                         options.confirmed ? options.place : QString(11, QLatin1Char(' '))),
               header("QRLabel9", 2.12, 11.38, QStringLiteral("Pořadí"), centre),
               header("QRLabel2", 29.63, 14.55, QStringLiteral("Družstvo")), startingHeader,
               header("QRLabel3", 88.90, 20.37, QStringLiteral("1. disciplína")),
               header("QRLabel4", 114.30, 19.31, QStringLiteral("2.disciplína")),
               header("QRLabel5", 139.70, 19.31, QStringLiteral("3.disciplína")),
               header("QRLabel6", 165.10, 12.96, QStringLiteral("Celkem"))}),
         band("DetailBand1", BandKind::Detail, 6.35,
              {rectangle("QRShape1", 0, 0, 190.24, 4.50),
               dataText("QRDBText7", -0.53, 0, 15.35, 4.50, "FPORADI", centre),
               dataText("QRDBText3", 27.52, 0, 18.52, 4.50, "DRUZSTVO"),
               // The design names no field, so the column is blank until the mode shows it.
               dataText("QRDBText6", 69.32, 0, 18.52, 4.50, continuing ? "FPOCATEK" : "QRDBText6",
                        centre),
               dataText("QRDBText1", 95.25, 0, 11.64, 4.50, "FBOD1", centre),
               dataText("QRDBText2", 118.53, 0, 11.64, 4.50, "FBOD2", centre),
               dataText("QRDBText4", 143.93, 0, 11.64, 4.50, "FBOD3", centre),
               dataText("QRDBText5", 162.98, 0, 16.67, 4.50, "FCELKEM", centre)}),
         band("SummaryBand1", BandKind::Summary, 35.98,
              {stamp(kFinalsStandingsStamp, options),
               label("QRLabel7", 14.29, 16.93, 25.14, 4.50, QStringLiteral("Počet družstev :")),
               count("QRExpr1", 41.80, 16.93, 11.91, 4.50),
               label("QRLabel8", 139.17, 16.93, 24.61, 4.50, QStringLiteral("Vytištěno dne : ")),
               date("QRSysData1", 164.57, 16.93, 9.53, 4.50)})});
    return ordered(std::move(report), options, {"FPORADI", "FCELKEM"});
}

}  // namespace zlt::reports
