#include "reports/TiskFDisc.h"

#include "reports/model/Elements.h"

namespace zlt {

TfrmTiskFDisc* frmTiskFDisc = nullptr;

namespace {

using namespace reports::elements;
using reports::Alignment;
using reports::BandKind;

reports::ReportDefinition finalDisciplineSheet(db::ResultSet& rows) {
    const auto bold = arial(10, true);
    return sheet(
        rows,
        {band("TitleBand1", BandKind::Title, 43.13,
              {label("QRLabel1", 38.10, 2.12, 70.64, 6.35,
                     QStringLiteral("Výsledky 1. finálové disciplíny "), arial(15)),
               label("QRLabel2", 50.80, 38.10, 14.55, 4.50, QStringLiteral("Družstvo"), bold),
               label("QRLabel3", 139.70, 38.10, 15.08, 4.50, QStringLiteral("Výsledky"), bold),
               label("QRLabel4", 10.05, 38.10, 11.38, 4.50, QStringLiteral("Pořadí"), bold),
               label("QRlblFD", 44.45, 21.17, 33.34, 5.29, QString(25, QLatin1Char(' ')),
                     arial(13, true))}),
         band("DetailBand1", BandKind::Detail, 6.35,
              {rectangle("QRShape1", 6.35, 0, 177.54, 4.50),
               dataText("QRDBText1", 48.15, 0, 18.52, 4.50, "DRUZSTVO"),
               dataText("QRDBText2", 141.29, 0, 22.75, 4.50, "FDISCIPLINA1"),
               dataText("QRDBText3", 10.05, 0, 11.64, 4.50, "FBOD1", Alignment::Center)}),
         band("SummaryBand1", BandKind::Summary, 38.10,
              {count("QRExpr1", 50.80, 16.93, 11.91, 4.50),
               date("QRSysData1", 160.87, 16.93, 9.53, 4.50),
               label("QRLabel5", 21.17, 16.93, 27.78, 4.50, QStringLiteral("Celkem družstev :")),
               label("QRLabel6", 135.47, 16.93, 23.55, 4.50, QStringLiteral("Vytištěno dne :")),
               image("QRImage1", 65.09, 2.12, 59.53, 34.13)})});
}

}  // namespace

TfrmTiskFDisc::TfrmTiskFDisc(competition::Competition& competition)
    : ReportHolder(finalDisciplineSheet(competition.finals()), competition.details()) {}

void TfrmTiskFDisc::chooseDiscipline(int discipline, const QString& name, const QString& edition) {
    setCaption("QRlblFD", name);
    setCaption("QRLabel1",
               reports::editionHeading(
                   QStringLiteral("Výsledky %1.finálové disciplíny ").arg(discipline), edition));
    const std::string number = std::to_string(discipline);
    QuickRep1.element("QRDBText2").dataField = "FDISCIPLINA" + number;
    QuickRep1.element("QRDBText3").dataField = "FBOD" + number;
}

void TfrmTiskFDisc::prepare(const competition::EventDetails& details, int discipline) {
    chooseDiscipline(discipline, details.finalDisciplineName(discipline), details.edition());
}

}  // namespace zlt
