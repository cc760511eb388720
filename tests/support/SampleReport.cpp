#include "tests/support/SampleReport.h"

#include "database/Statement.h"
#include "reports/model/Elements.h"

namespace zlt::test {

using namespace reports::elements;
using reports::Alignment;
using reports::BandKind;

SampleReport::SampleReport() {
    connection.setPath(folder.database().string());
    rows.open();
    report =
        sheet(rows, {band("TitleBand1", BandKind::Title, 43.13,
                          {label("QRLabel1", 40, 10, 100, 4.5, QStringLiteral("VÝSLEDKY"),
                                 arial(20, true), Alignment::Center),
                           label("QRLabel2", 10, 30, 20, 4.5, QStringLiteral("Číslo")),
                           label("QRLabel3", 150, 30, 30, 4.5, QStringLiteral("Družstvo"),
                                 std::nullopt, Alignment::Right)}),
                     band("DetailBand1", BandKind::Detail, 6.35,
                          {rectangle("QRShape1", 0, 0, 180, 6.35),
                           dataText("QRDBText1", 20, 1, 10, 4.5, "CISLO", Alignment::Right),
                           dataText("QRDBText2", 40, 1, 60, 4.5, "DRUZSTVO"),
                           dataText("QRDBText3", 120, 1, 20, 4.5, " ")}),
                     band("SummaryBand1", BandKind::Summary, 35.98,
                          {count("QRExpr1", 10, 5, 20, 4.5), date("QRSysData1", 60, 5, 30, 4.5),
                           image("QRImage1", 120, 1, 60, 34)})});
}

void SampleReport::holdRows(int count) {
    db::Statement("fill", connection,
                  "EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN DELETE FROM DATAZLT; WHILE (i < " +
                      std::to_string(count) +
                      ") DO BEGIN i = i + 1; INSERT INTO DATAZLT (CISLO, DRUZSTVO) VALUES (:i, "
                      "'Tým ' || :i); END END")
        .execute();
    rows.refresh();
}

}  // namespace zlt::test
