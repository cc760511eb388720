#include "tests/support/SampleReport.h"

#include "database/Statement.h"

namespace zlt::test {

using reports::Alignment;
using reports::BandKind;
using reports::Element;
using reports::ElementKind;

namespace {

Element text(const char* name, ElementKind kind, double left, double top, double width,
             Alignment alignment = Alignment::Left) {
    Element element;
    element.name = name;
    element.kind = kind;
    element.left = left;
    element.top = top;
    element.width = width;
    element.height = 4.5;
    element.alignment = alignment;
    element.transparent = kind == ElementKind::DataText;
    return element;
}

}  // namespace

SampleReport::SampleReport() {
    connection.setPath(folder.database().string());
    rows.open();
    report.name = "QuickRep1";
    report.dataSet = &rows;

    Element heading = text("QRLabel1", ElementKind::Label, 40, 10, 100, Alignment::Center);
    heading.caption = QStringLiteral("VÝSLEDKY");
    heading.font = reports::FontSpec{QStringLiteral("Arial"), 20, true};
    Element left = text("QRLabel2", ElementKind::Label, 10, 30, 20);
    left.caption = QStringLiteral("Číslo");
    Element right = text("QRLabel3", ElementKind::Label, 150, 30, 30, Alignment::Right);
    right.caption = QStringLiteral("Družstvo");
    report.bands.push_back({"TitleBand1", BandKind::Title, 43.13, 189.97, {heading, left, right}});

    Element frame;
    frame.name = "QRShape1";
    frame.kind = ElementKind::Shape;
    frame.width = 180;
    frame.height = 6.35;
    Element number = text("QRDBText1", ElementKind::DataText, 20, 1, 10, Alignment::Right);
    number.dataField = "CISLO";
    Element team = text("QRDBText2", ElementKind::DataText, 40, 1, 60);
    team.dataField = "DRUZSTVO";
    Element none = text("QRDBText3", ElementKind::DataText, 120, 1, 20);
    none.dataField = " ";
    report.bands.push_back(
        {"DetailBand1", BandKind::Detail, 6.35, 189.97, {frame, number, team, none}});

    Element count = text("QRExpr1", ElementKind::Expression, 10, 5, 20);
    count.expression = "COUNT";
    Element date = text("QRSysData1", ElementKind::SystemData, 60, 5, 30);
    Element stamp;
    stamp.name = "QRImage1";
    stamp.kind = ElementKind::Image;
    stamp.left = 120;
    stamp.top = 1;
    stamp.width = 60;
    stamp.height = 34;
    report.bands.push_back(
        {"SummaryBand1", BandKind::Summary, 35.98, 189.97, {count, date, stamp}});
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
