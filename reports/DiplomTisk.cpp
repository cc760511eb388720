#include "reports/DiplomTisk.h"

#include <algorithm>

#include "platform/Jpeg.h"
#include "reports/SeasonStamps.h"
#include "reports/model/Elements.h"

namespace zlt {

namespace {

using namespace reports::elements;
using reports::Alignment;
using reports::BandKind;

// The stamp box is as large as the sheets' largest, so the confirmed stamp shows whole.
constexpr double kStampWidth = 61.65;
constexpr double kStampHeight = 34.13;
// A picture of 300 dots to the inch over a whole A4 page: sharp in print, and no larger.
constexpr int kLargestBackgroundSide = 3508;

reports::Element text(reports::Element element, double points, bool bold) {
    element.font = arial(points, bold);
    element.alignment = Alignment::Center;
    element.transparent = true;  // the background shows between the letters
    element.shrinkToFit = true;
    return element;
}

reports::ReportDefinition diplomaReport() {
    reports::Element background = image("QRImagePozadi", 0, 0, 0, 0);
    background.stretch = true;
    reports::ReportDefinition report;
    report.name = "QuickRep1";
    report.textRows.fields = {"ZA", "DRUZSTVO"};
    report.bands = {band(
        "DetailBand1", BandKind::Detail, 0,
        {background, text(label("QRlblDiplom", 0, 0, 0, 26, QStringLiteral("Diplom")), 60, true),
         text(label("QRlblRocnik", 0, 0, 0, 13, QString()), 28, true),
         text(dataText("QRDBTextZa", 0, 0, 0, 14, "ZA"), 28, false),
         text(dataText("QRDBTextDruzstvo", 0, 0, 0, 20, "DRUZSTVO"), 44, true),
         text(label("QRlblMisto", 0, 0, 0, 9, QString()), 18, false),
         image("QRImage1", 0, 0, kStampWidth, kStampHeight)})};
    return report;
}

// One diploma fills the printable part of the paper as it lies, so every team's starts a
// page; the texts are centred across it at the same share of its height either way.
void followPaper(reports::ReportDefinition& report) {
    const reports::PageSetup& page = report.page;
    const double width = page.sheetWidth() - 2 * page.leftMargin();
    const double height = page.sheetLength() - page.topMargin() - page.bottomMargin();
    report.bands.front().width = width;
    report.bands.front().height = height;
    const auto across = [&](const char* name, double share) {
        reports::Element& element = report.element(name);
        element.left = 0;
        element.width = width;
        element.top = height * share;
    };
    across("QRlblDiplom", 0.06);
    across("QRlblRocnik", 0.22);
    across("QRDBTextZa", 0.36);
    across("QRDBTextDruzstvo", 0.49);
    across("QRlblMisto", 0.66);
    reports::Element& stamp = report.element("QRImage1");
    stamp.left = (width - kStampWidth) / 2;
    stamp.top = height * 0.76;
    // The picture covers the whole paper, margins included.
    reports::Element& background = report.element("QRImagePozadi");
    background.left = -page.leftMargin();
    background.top = -page.topMargin();
    background.width = page.sheetWidth();
    background.height = page.sheetLength();
}

}  // namespace

TfrmDiplomTisk::TfrmDiplomTisk(const competition::EventDetails& details)
    : ReportHolder(diplomaReport(), details) {
    QuickRep1.page.landscape = true;
    QuickRep1.followPaper = followPaper;
    setStamp(details.seasonStamp());
}

void TfrmDiplomTisk::prepare(const competition::EventDetails& details,
                             const std::vector<competition::DiplomaTeam>& teams, bool landscape,
                             const QImage& background) {
    const QString edition = details.edition().trimmed();
    QuickRep1.element("QRlblRocnik").caption =
        edition.isEmpty() ? QStringLiteral("Zeltoria") : reports::editionHeading({}, edition);
    QuickRep1.element("QRlblMisto").caption = details.place().trimmed();
    QuickRep1.element("QRImagePozadi").picture = background;
    QuickRep1.page.landscape = landscape;
    QuickRep1.textRows.rows.clear();
    for (const competition::DiplomaTeam& team : teams) {
        QuickRep1.textRows.rows.push_back(
            {reports::diplomaPlaceText(team.place), QString::fromStdString(team.team)});
    }
}

namespace reports {

QString diplomaPlaceText(const std::optional<int>& place) {
    return place ? QStringLiteral("za %1. místo").arg(*place) : QStringLiteral("za účast");
}

DiplomaBackground readDiplomaBackground(const std::filesystem::path& file) {
    if (!std::filesystem::exists(file)) {
        return {};
    }
    try {
        QImage picture = platform::loadJpegFile(file);
        if (std::max(picture.width(), picture.height()) > kLargestBackgroundSide) {
            picture = picture
                          .scaled(kLargestBackgroundSide, kLargestBackgroundSide,
                                  Qt::KeepAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_RGB888);
        }
        return {picture, {}};
    } catch (const std::exception& error) {
        return {{},
                QStringLiteral("Obrázek pozadí diplomů %1 nelze přečíst (%2). Diplomy se "
                               "vytisknou bez něj; opravte nebo odstraňte soubor.")
                    .arg(QString::fromStdString(file.string()), QString::fromUtf8(error.what()))};
    }
}

QImage readDiplomaStamp(const std::filesystem::path& file) {
    return platform::loadJpegFile(file, picturePixelsShown(kStampWidth, kStampHeight));
}

}  // namespace reports
}  // namespace zlt
