#include "reports/sheets/DiplomaSheet.h"

#include <algorithm>

#include "pictures/Jpeg.h"
#include "reports/model/Elements.h"
#include "reports/sheets/SeasonStamps.h"
#include "reports/sheets/Sheets.h"

namespace zlt::reports {
namespace {

using namespace elements;

// The stamp box is as large as the sheets' largest, so the confirmed stamp shows whole.
constexpr double kStampWidth = 61.65;
constexpr double kStampHeight = 34.13;
// A picture of 300 dots to the inch over a whole A4 page: sharp in print, and no larger.
constexpr int kLargestBackgroundSide = 3508;

// The elements of the one band, in drawing order: the picture first, under the texts.
enum Part : std::size_t { Background, Heading, Edition, Won, Team, Place, Stamp };

Element text(Element element, double points, bool bold) {
    element.font = arial(points, bold);
    element.alignment = Alignment::Center;
    element.transparent = true;  // the background shows between the letters
    element.shrinkToFit = true;
    return element;
}

// One diploma fills the printable part of the paper as it lies, so every team's starts a
// page; the texts are centred across it at the same share of its height either way.
void followPaper(ReportDefinition& report) {
    const PageSetup& page = report.page;
    const double width = page.sheetWidth() - 2 * page.leftMargin();
    const double height = page.sheetLength() - page.topMargin() - page.bottomMargin();
    Band& band = report.bands.front();
    band.width = width;
    band.height = height;
    const auto across = [&](Part part, double share) {
        Element& element = band.elements[part];
        element.left = 0;
        element.width = width;
        element.top = height * share;
    };
    across(Heading, 0.06);
    across(Edition, 0.22);
    across(Won, 0.36);
    across(Team, 0.49);
    across(Place, 0.66);
    Element& stamp = band.elements[Stamp];
    stamp.left = (width - kStampWidth) / 2;
    stamp.top = height * 0.76;
    // The picture covers the whole paper, margins included.
    Element& background = band.elements[Background];
    background.left = -page.leftMargin();
    background.top = -page.topMargin();
    background.width = page.sheetWidth();
    background.height = page.sheetLength();
}

}  // namespace

ReportDefinition diplomaSheet(const std::vector<competition::DiplomaTeam>& teams,
                              const DiplomaOptions& options) {
    Element background = image("QRImagePozadi", 0, 0, 0, 0);
    background.stretch = true;
    background.picture = options.background;
    const QString edition = options.edition.trimmed();
    Element stamp = image("QRImage1", 0, 0, kStampWidth, kStampHeight);
    stamp.picture = options.stamp;
    ReportDefinition report;
    report.name = "QuickRep1";
    report.page.landscape = options.landscape;
    report.followPaper = followPaper;
    report.textRows.fields = {"ZA", "DRUZSTVO"};
    for (const competition::DiplomaTeam& team : teams) {
        report.textRows.rows.push_back(
            {diplomaPlaceText(team.place), QString::fromStdString(team.team)});
    }
    report.bands = {band(
        "DetailBand1", BandKind::Detail, 0,
        {background, text(label("QRlblDiplom", 0, 0, 0, 26, QStringLiteral("Diplom")), 60, true),
         text(label("QRlblRocnik", 0, 0, 0, 13,
                    edition.isEmpty() ? QStringLiteral("Zeltoria") : editionHeading({}, edition)),
              28, true),
         text(dataText("QRDBTextZa", 0, 0, 0, 14, "ZA"), 28, false),
         text(dataText("QRDBTextDruzstvo", 0, 0, 0, 20, "DRUZSTVO"), 44, true),
         text(label("QRlblMisto", 0, 0, 0, 9, options.place.trimmed()), 18, false), stamp})};
    return report;
}

QString diplomaPlaceText(const std::optional<int>& place) {
    return place ? QStringLiteral("za %1. místo").arg(*place) : QStringLiteral("za účast");
}

DiplomaBackground readDiplomaBackground(const std::filesystem::path& file) {
    if (!std::filesystem::exists(file)) {
        return {};
    }
    try {
        QImage picture = pictures::loadJpegFile(file);
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
    return pictures::loadJpegFile(file, picturePixelsShown(kStampWidth, kStampHeight));
}

}  // namespace zlt::reports
