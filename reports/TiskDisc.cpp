#include "reports/TiskDisc.h"

#include "reports/model/Elements.h"

namespace zlt {

TfrmTiskDisc* frmTiskDisc = nullptr;

namespace {

using namespace reports::elements;
using reports::Alignment;
using reports::BandKind;

reports::ReportDefinition disciplineSheet(db::ResultSet& rows) {
    const auto bold = arial(10, true);
    return sheet(
        rows,
        {band("TitleBand1", BandKind::Title, 43.13,
              {label("QRLabel1", 46.57, 2.12, 50.01, 6.35, QStringLiteral("Výsledky 1.disciplíny "),
                     arial(15)),
               label("QRLabel2", 55.03, 38.10, 25.66, 4.50, QStringLiteral("Název družstva"), bold),
               label("QRLabel3", 129.12, 38.10, 15.35, 4.50, QStringLiteral("Výsledek"), bold),
               label("QRLabel4", 14.82, 38.10, 11.38, 4.50, QStringLiteral("Pořadí"), bold),
               label("QRlblD", 48.68, 21.17, 42.60, 5.29, QString(32, QLatin1Char(' ')),
                     arial(13, true)),
               label("QRLabel5", 156.63, 38.10, 21.43, 4.50, QString(20, QLatin1Char(' ')), bold)}),
         band("DetailBand1", BandKind::Detail, 6.35,
              {rectangle("QRShape1", 6.35, 0, 177.54, 4.50),
               dataText("QRDBText1", 52.92, 0, 18.52, 4.50, "DRUZSTVO"),
               dataText("QRDBText2", 131.23, 0, 20.64, 4.50, "DISCIPLINA1"),
               dataText("QRDBText3", 14.82, 0, 9.53, 4.50, "BOD1", Alignment::Center),
               dataText("QRDBText4", 162.98, 0, 18.52, 4.50, "")}),
         band("SummaryBand1", BandKind::Summary, 35.98,
              {image("QRImage1", 63.50, 2.12, 61.65, 34.13),
               label("QRLabel7", 141.82, 16.93, 24.61, 4.50, QStringLiteral("Vytištěno dne : ")),
               date("QRSysData2", 167.22, 16.93, 9.53, 4.50),
               label("QRLabel6", 16.93, 16.93, 28.84, 4.50, QStringLiteral("Celkem družstev : ")),
               count("QRExpr1", 46.57, 16.93, 11.91, 4.50)})});
}

}  // namespace

TfrmTiskDisc::TfrmTiskDisc(competition::Competition& competition)
    : ReportHolder(disciplineSheet(competition.preliminary()), competition.details()) {
    const competition::EventDetails& details = competition.details();
    connect(&details, &competition::EventDetails::confirmed, this, [this, &details] {
        resetPenaltyColumn();
        if (details.penaltyShown()) {
            showPenaltyColumn();
        }
    });
}

void TfrmTiskDisc::chooseDiscipline(int discipline, const QString& name, const QString& edition) {
    const bool interim = discipline == 6;
    setCaption("QRlblD", name);
    // 176 and 140 pixels of the design surface: 46.57 and 37.04 mm.
    QuickRep1.element("QRLabel1").setLeftPixels(interim ? 140 : 176);
    const QString prefix = interim ? QStringLiteral("Výsledky 6.disciplíny - průběžné ")
                                   : QStringLiteral("Výsledky %1.disciplíny ").arg(discipline);
    setCaption("QRLabel1", reports::editionHeading(prefix, edition));
    const std::string number = std::to_string(discipline);
    QuickRep1.element("QRDBText2").dataField = "DISCIPLINA" + number;
    QuickRep1.element("QRDBText3").dataField = "BOD" + number;
}

void TfrmTiskDisc::prepare(const competition::EventDetails& details, int discipline) {
    chooseDiscipline(discipline, details.disciplineName(discipline), details.edition());
}

void TfrmTiskDisc::resetPenaltyColumn() {
    setCaption("QRLabel5", QString(11, QLatin1Char(' ')));
    // Assigned by count: GCC 12 at -O3 takes `= " "` for an overlapping copy (-Wrestrict).
    QuickRep1.element("QRDBText4").dataField.assign(1, ' ');
}

void TfrmTiskDisc::showPenaltyColumn() {
    setCaption("QRLabel5", QStringLiteral("Penalizace"));
    QuickRep1.element("QRDBText4").dataField = "PENALIZACE";
}

}  // namespace zlt
