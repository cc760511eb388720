#include "reports/sheets/DiplomaSheet.h"

#include <QRectF>
#include <algorithm>

#include "competition/EventFiles.h"
#include "competition/SettingsFile.h"
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

// The frame is two black lines, a bold one outside and a fine one inside, with no fill: it
// prints the same on any printer and hides nothing of a picture under it. It stays inside
// the edge any printer reaches; the texts keep clear of it.
struct FrameLine {
    double inset;
    double thickness;
    const char* sides[4];  // top, bottom, left, right
};
constexpr FrameLine kFrame[] = {
    {6.5, 0.8, {"QRShapeVnejsiH", "QRShapeVnejsiD", "QRShapeVnejsiL", "QRShapeVnejsiP"}},
    {8.5, 0.3, {"QRShapeVnitrniH", "QRShapeVnitrniD", "QRShapeVnitrniL", "QRShapeVnitrniP"}},
};
constexpr double kTextInset = 13;

// The lines to sign stand left and right of the stamp, as wide as a signature needs.
struct SignatureSlot {
    double centre;  // share of the texts' width
    const char* line;
    const char* caption;
};
constexpr SignatureSlot kSignatureSlots[] = {{0.18, "QRShapePodpis1", "QRlblPodpis1"},
                                             {0.82, "QRShapePodpis2", "QRlblPodpis2"}};
constexpr double kSignatureWidth = 70;
constexpr double kSignatureLine = 0.3;

// From the top, as shares of the texts' height: the heading, the edition, the place won
// and its standings, the name, the event's place; in the lower half the stamp and the lines
// to sign.
constexpr struct {
    double heading = 0.03, edition = 0.19, won = 0.31, standings = 0.40, team = 0.49, place = 0.64,
           stamp = 0.70, signatures = 0.90;
} kRows;

Element text(Element element, double points, bool bold) {
    element.font = arial(points, bold);
    element.alignment = Alignment::Center;
    element.transparent = true;  // the background shows between the letters
    element.shrinkToFit = true;
    return element;
}

// Places an element given on the paper, in millimetres from its top-left corner, into the
// band, which starts at the margins; an element the diplomas leave out is not there.
class OnPaper {
public:
    explicit OnPaper(ReportDefinition& report) : page_(report.page), band_(report.bands.front()) {}

    void put(const char* name, const QRectF& box) {
        if (Element* element = find(name)) {
            place(*element, box);
        }
    }
    // A text centred across the texts' width at a share of their height, as high as made.
    void across(const char* name, const QRectF& texts, double share) {
        if (Element* element = find(name)) {
            place(*element, QRectF(texts.left(), texts.top() + texts.height() * share,
                                   texts.width(), element->height));
        }
    }

private:
    Element* find(const char* name) {
        const auto found =
            std::find_if(band_.elements.begin(), band_.elements.end(),
                         [&](const Element& element) { return element.name == name; });
        return found == band_.elements.end() ? nullptr : &*found;
    }
    void place(Element& element, const QRectF& box) const {
        element.left = box.left() - page_.leftMargin();
        element.top = box.top() - page_.topMargin();
        element.width = box.width();
        element.height = box.height();
    }

    const PageSetup& page_;
    Band& band_;
};

void frame(OnPaper& paper, const QRectF& sheet) {
    for (const FrameLine& line : kFrame) {
        const QRectF outline = sheet.adjusted(line.inset, line.inset, -line.inset, -line.inset);
        const double thick = line.thickness;
        paper.put(line.sides[0], QRectF(outline.left(), outline.top(), outline.width(), thick));
        paper.put(line.sides[1],
                  QRectF(outline.left(), outline.bottom() - thick, outline.width(), thick));
        paper.put(line.sides[2], QRectF(outline.left(), outline.top(), thick, outline.height()));
        paper.put(line.sides[3],
                  QRectF(outline.right() - thick, outline.top(), thick, outline.height()));
    }
}

// One diploma fills the paper as it lies, so every team's starts a page; the texts are
// centred across it at the same share of its height either way.
void followPaper(ReportDefinition& report) {
    const PageSetup& page = report.page;
    Band& band = report.bands.front();
    band.width = page.sheetWidth() - 2 * page.leftMargin();
    band.height = page.sheetLength() - page.topMargin() - page.bottomMargin();
    const QRectF sheet(0, 0, page.sheetWidth(), page.sheetLength());
    const QRectF texts = sheet.adjusted(kTextInset, kTextInset, -kTextInset, -kTextInset);
    OnPaper paper(report);
    paper.put("QRImagePozadi", sheet);  // the picture covers the whole paper
    frame(paper, sheet);
    paper.across("QRlblDiplom", texts, kRows.heading);
    paper.across("QRlblRocnik", texts, kRows.edition);
    paper.across("QRDBTextZa", texts, kRows.won);
    paper.across("QRDBTextPoradi", texts, kRows.standings);
    paper.across("QRDBTextDruzstvo", texts, kRows.team);
    paper.across("QRlblMisto", texts, kRows.place);
    paper.put("QRImage1",
              QRectF(sheet.center().x() - kStampWidth / 2,
                     texts.top() + texts.height() * kRows.stamp, kStampWidth, kStampHeight));
    const double width = std::min(kSignatureWidth, texts.width() * 0.36);
    const double top = texts.top() + texts.height() * kRows.signatures;
    for (const SignatureSlot& slot : kSignatureSlots) {
        const double left = texts.left() + texts.width() * slot.centre - width / 2;
        paper.put(slot.line, QRectF(left, top, width, kSignatureLine));
        paper.put(slot.caption, QRectF(left, top + 1.5, width, 7));
    }
}

}  // namespace

std::array<QString, 2> signatureCaptions(const competition::DiplomaLayout& layout) {
    std::array<QString, 2> captions;
    if (layout.signatures) {
        for (std::size_t slot = 0; slot < captions.size(); ++slot) {
            captions[slot] = QString::fromStdString(layout.captions[slot]).trimmed();
        }
    }
    return captions;
}

ReportDefinition diplomaSheet(const std::vector<competition::DiplomaTeam>& teams,
                              const DiplomaOptions& options) {
    ReportDefinition report;
    report.name = "QuickRep1";
    report.page.landscape = options.landscape;
    report.followPaper = followPaper;
    report.textRows.fields = {"ZA", "V_PORADI", "DRUZSTVO"};
    for (const competition::DiplomaTeam& team : teams) {
        // A diploma for taking part names no standings.
        report.textRows.rows.push_back({diplomaPlaceText(team.place),
                                        team.place ? options.standings.trimmed() : QString(),
                                        QString::fromStdString(team.team)});
    }
    // In drawing order: the picture first, under everything.
    Element background = image("QRImagePozadi", 0, 0, 0, 0);
    background.stretch = true;
    background.picture = options.background;
    std::vector<Element> elements{background};
    for (const FrameLine& line : kFrame) {
        for (const char* side : line.sides) {
            elements.push_back(bar(side, 0, 0, 0, 0));
        }
    }
    const QString edition = options.edition.trimmed();
    elements.insert(
        elements.end(),
        {text(label("QRlblDiplom", 0, 0, 0, 26, QStringLiteral("Diplom")), 60, true),
         text(label("QRlblRocnik", 0, 0, 0, 13,
                    edition.isEmpty() ? QStringLiteral("Zeltoria") : editionHeading({}, edition)),
              28, true),
         text(dataText("QRDBTextZa", 0, 0, 0, 14, "ZA"), 28, false),
         text(dataText("QRDBTextPoradi", 0, 0, 0, 10, "V_PORADI"), 20, false),
         text(dataText("QRDBTextDruzstvo", 0, 0, 0, 20, "DRUZSTVO"), 44, true),
         text(label("QRlblMisto", 0, 0, 0, 9, options.place.trimmed()), 18, false)});
    Element stamp = image("QRImage1", 0, 0, kStampWidth, kStampHeight);
    stamp.picture = options.stamp;
    elements.push_back(stamp);
    for (std::size_t slot = 0; slot < options.signatures.size(); ++slot) {
        const QString caption = options.signatures[slot].trimmed();
        if (!caption.isEmpty()) {
            elements.push_back(bar(kSignatureSlots[slot].line, 0, 0, 0, 0));
            elements.push_back(
                text(label(kSignatureSlots[slot].caption, 0, 0, 0, 7, caption), 12, false));
        }
    }
    report.bands = {band("DetailBand1", BandKind::Detail, 0, std::move(elements))};
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

DiplomaStamp readDiplomaStamp() {
    std::filesystem::path file = competition::kSettingsFile;
    try {
        file = competition::reportStamp(competition::readSettingsFile(file).summer);
        return {pictures::loadJpegFile(file, picturePixelsShown(kStampWidth, kStampHeight)), {}};
    } catch (const std::exception& error) {
        return {{},
                QStringLiteral("Soubor %1 nelze přečíst (%2); diplomy jsou bez razítka.")
                    .arg(QString::fromStdString(file.string()), QString::fromUtf8(error.what()))};
    }
}

DiplomaOptions diplomaOptions(const competition::EventDetails& details,
                              competition::DiplomaRound round, bool landscape,
                              const competition::DiplomaLayout& layout, QStringList& problems) {
    const DiplomaBackground background = readDiplomaBackground(competition::kDiplomaBackground);
    const DiplomaStamp stamp = readDiplomaStamp();
    for (const QString& problem : {background.problem, stamp.problem}) {
        if (!problem.isEmpty()) {
            problems << problem;
        }
    }
    return {details.edition(),
            details.place(),
            QString::fromStdString(competition::standingsName(round)),
            landscape,
            background.picture,
            stamp.picture,
            signatureCaptions(layout)};
}

}  // namespace zlt::reports
