// The diplomas: which teams get one from the ranks a round holds, and what each page
// shows where, across and upright, with and without the picture under the texts.
#include <gmock/gmock.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "competition/Diplomas.h"
#include "competition/EventChoices.h"
#include "competition/EventFiles.h"
#include "reports/DiplomTisk.h"
#include "reports/model/Elements.h"
#include "reports/model/Generator.h"
#include "reports/model/PageTarget.h"
#include "reports/model/SavedReport.h"
#include "tests/support/Application.h"
#include "tests/support/BigJpeg.h"
#include "tests/support/CoreInFolder.h"
#include "tests/support/Database.h"
#include "tests/support/PageQuery.h"
#include "tests/support/Thrown.h"

namespace zlt::test {
namespace {

namespace fs = std::filesystem;
using competition::DiplomaChoice;
using competition::DiplomaRound;
using competition::DiplomaTeam;
using reports::DrawOp;
using reports::Page;
using ::testing::HasSubstr;
constexpr std::nullopt_t none = std::nullopt;

// Widgets need the whole application, made before the core's own would be.
struct WithApplication {
    WithApplication() { ensureApplication(); }
};

class Diplomas : private WithApplication, public CoreInFolder {
protected:
    void SetUp() override {
        // Shared places, a ranked row without a name, a named one without a rank.
        execute(folder.database(),
                "UPDATE DATAZLT SET DRUZSTVO = CASE CISLO WHEN 1 THEN 'Lhota' WHEN 2 THEN 'Ves' "
                "WHEN 3 THEN 'Žďár' WHEN 5 THEN 'Bez pořadí' WHEN 6 THEN 'Dolní' WHEN 7 THEN "
                "'Horní' ELSE '' END, PORADI = CASE CISLO WHEN 1 THEN 2 WHEN 2 THEN 1 WHEN 3 "
                "THEN 2 WHEN 4 THEN 1 WHEN 6 THEN 4 WHEN 7 THEN 5 END");
        execute(folder.database(), "DELETE FROM DATAZLTF");
        execute(folder.database(),
                "INSERT INTO DATAZLTF (DRUZSTVO, FPORADI) VALUES ('Finalista A', 2)");
        execute(folder.database(),
                "INSERT INTO DATAZLTF (DRUZSTVO, FPORADI) VALUES ('Finalista B', 1)");
        execute(folder.database(), "INSERT INTO DATAZLTF (DRUZSTVO) VALUES ('Finalista C')");
        competition.preliminary().setSql("SELECT * FROM DATAZLT ORDER BY CISLO");
        open();
    }
    std::vector<DiplomaTeam> choose(const DiplomaChoice& choice) {
        return competition::chooseDiplomaTeams(
            competition::diplomaRows(choice.round, competition.preliminary(), competition.finals()),
            choice);
    }
};

TEST_F(Diplomas, TheTeamsComeByPlaceSharingPlacesAsStoredAndOnlyWithAName) {
    const struct {
        DiplomaChoice choice;
        std::vector<DiplomaTeam> teams;
    } cases[] = {
        {{DiplomaRound::Overall, 3, false}, {{"Ves", 1}, {"Lhota", 2}, {"Žďár", 2}}},
        {{DiplomaRound::Overall, 1, false}, {{"Ves", 1}}},
        {{DiplomaRound::Overall, 4, false}, {{"Ves", 1}, {"Lhota", 2}, {"Žďár", 2}, {"Dolní", 4}}},
        {{DiplomaRound::Preliminary, none, false},
         {{"Ves", 1}, {"Lhota", 2}, {"Žďár", 2}, {"Dolní", 4}, {"Horní", 5}}},
        {{DiplomaRound::Overall, 2, true},
         {{"Ves", 1}, {"Lhota", 2}, {"Žďár", 2}, {"Bez pořadí", none}}},
        {{DiplomaRound::Finals, 3, false}, {{"Finalista B", 1}, {"Finalista A", 2}}},
        {{DiplomaRound::Finals, none, true},
         {{"Finalista B", 1}, {"Finalista A", 2}, {"Finalista C", none}}},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(choose(each.choice), each.teams)
            << "round " << static_cast<int>(each.choice.round) << ", top "
            << each.choice.top.value_or(0) << ", ucast " << each.choice.participation;
    }
}

TEST_F(Diplomas, ARoundWithoutRanksOrAPlaceCountOutOfRangeIsRefusedInCzech) {
    using Refusal = competition::Refusal;
    EXPECT_THAT(thrownMessage<Refusal>([&] {
                    choose({DiplomaRound::Overall, 0, false});
                }),
                ::testing::Optional(HasSubstr("od 1 do 30")));
    EXPECT_THAT(thrownMessage<Refusal>([&] {
                    choose({DiplomaRound::Overall, 31, false});
                }),
                ::testing::Optional(HasSubstr("Počet míst 31")));
    execute(folder.database(), "UPDATE DATAZLTF SET FPORADI = NULL");
    competition.finals().refresh();
    EXPECT_EQ(thrownMessage<Refusal>([&] {
                  choose({DiplomaRound::Finals, none, true});
              }),
              "Žádné družstvo nemá pořadí: nejprve spočítejte nebo zadejte pořadí.");
    execute(folder.database(), "UPDATE DATAZLT SET PORADI = PORADI + 10");
    competition.preliminary().refresh();
    EXPECT_THAT(thrownMessage<Refusal>([&] {
                    choose({DiplomaRound::Overall, 3, false});
                }),
                ::testing::Optional(HasSubstr("místo od 1 do 3")));
}

// The choice reads the rows where they stand: the grid's current row and a row being
// typed are neither moved nor written, and what is typed counts, as the grid shows it.
TEST_F(Diplomas, ChoosingLeavesTheCurrentRowAndARowBeingTypedAsTheyAre) {
    db::ResultSet& rows = competition.preliminary();
    rows.moveTo(6);
    rows.edit();
    rows.setField("PORADI", db::FieldValue(3));
    EXPECT_EQ(choose({DiplomaRound::Overall, 3, false}),
              (std::vector<DiplomaTeam>{{"Ves", 1}, {"Lhota", 2}, {"Žďár", 2}, {"Horní", 3}}));
    EXPECT_EQ(rows.recNo(), 6);
    EXPECT_EQ(rows.state(), db::DataSetState::Edit);
    EXPECT_EQ(
        db::displayText(storedRows(folder.database(), db::preliminaryFields(), "CISLO")[6][16]),
        "5")
        << "nothing is written";
}

QString longName(char16_t letter) {
    return QString(25, QChar(letter));
}

// A diploma page of the holder as the preview would show it.
class DiplomaPages : public Diplomas {
protected:
    void SetUp() override {
        Diplomas::SetUp();
        stamp.fill(QColor(200, 30, 30));
        options.edition = QStringLiteral("50");
        options.place = QStringLiteral("Horní Lhota, 12. července 2027");
        options.standings = QStringLiteral("v celkovém pořadí");
        options.stamp = stamp;
        options.signatures = reports::signatureCaptions({});
    }
    std::vector<Page> pages(const std::vector<DiplomaTeam>& teams, bool landscape,
                            const QImage& background = {}) {
        options.landscape = landscape;
        options.background = background;
        sheet.prepare(teams, options);
        return reports::generate(sheet.QuickRep1);
    }

    QImage stamp{233, 129, QImage::Format_RGB888};
    reports::DiplomaOptions options;
    TfrmDiplomTisk sheet;
};

TEST_F(DiplomaPages, EachTeamHasAPageWithItsPlaceAndNameInsideThePrintableArea) {
    const std::vector<DiplomaTeam> teams{{longName(u'Š').toStdString(), 1},
                                         {longName(u'W').toStdString(), 2},
                                         {"Ves", 2},
                                         {"Účastníci", none}};
    const char* const places[] = {"za 1. místo", "za 2. místo", "za 2. místo", "za účast"};
    for (const bool landscape : {true, false}) {
        SCOPED_TRACE(landscape ? "across" : "upright");
        const std::vector<Page> all = pages(teams, landscape);
        ASSERT_EQ(all.size(), teams.size());
        EXPECT_GT(reports::textWidth(longName(u'W'), reports::elements::arial(44, true)),
                  (landscape ? 277 : 190))
            << "the longest name needs making smaller";
        for (std::size_t i = 0; i < all.size(); ++i) {
            SCOPED_TRACE(i);
            const Page& page = all[i];
            EXPECT_DOUBLE_EQ(page.width, landscape ? 297 : 210);
            EXPECT_DOUBLE_EQ(page.height, landscape ? 210 : 297);
            const QRectF printable(10, 10, page.width - 20, page.height - 20);
            // From the top: the heading, the edition, the place won, the name, the event's
            // place, the stamp; each below the one before, and centred on the paper.
            const QString name = QString::fromStdString(teams[i].team);
            std::vector<QRectF> boxes;
            for (const QString& text : {QStringLiteral("Diplom"), QStringLiteral("50.Zeltoria"),
                                        QString::fromUtf8(places[i]), name,
                                        QStringLiteral("Horní Lhota, 12. července 2027")}) {
                boxes.push_back(boxOf(page, text));
                EXPECT_NEAR(boxes.back().center().x(), page.width / 2, 0.01) << text.toStdString();
            }
            const auto stamps = drawn(page, DrawOp::Kind::Picture);
            ASSERT_EQ(stamps.size(), 1u);
            EXPECT_EQ(stamps[0].picture, stamp);
            EXPECT_NEAR(stamps[0].box.center().x(), page.width / 2, 0.01);
            EXPECT_NEAR(stamps[0].box.width(), 61.65, 0.01);
            boxes.push_back(stamps[0].box);
            for (std::size_t b = 0; b < boxes.size(); ++b) {
                EXPECT_TRUE(printable.contains(boxes[b])) << b;
                if (b > 0) {
                    EXPECT_GE(boxes[b].top(), boxes[b - 1].bottom() - 0.01) << b;
                }
            }
            // The name's letters fit its box: a line of its font is no higher than it.
            const auto nameOps =
                drawn(page, DrawOp::Kind::Text, [&](const DrawOp& op) { return op.text == name; });
            ASSERT_EQ(nameOps.size(), 1u);
            EXPECT_LE(reports::lineHeight(nameOps[0].font), nameOps[0].box.height() + 0.01);
            EXPECT_LE(reports::textWidth(name, nameOps[0].font), printable.width() + 0.01);
            // At its design size the name would run off the paper, or it keeps that size.
            reports::FontSpec designed = nameOps[0].font;
            designed.points = 44;
            if (reports::textWidth(name, designed) > printable.width()) {
                EXPECT_LT(nameOps[0].font.points, 44) << "the long name is made smaller";
                EXPECT_GT(reports::textWidth(name, nameOps[0].font), printable.width() * 0.95)
                    << "and no smaller than it must";
            } else {
                EXPECT_EQ(nameOps[0].font.points, 44);
            }
            EXPECT_TRUE(drawn(page, DrawOp::Kind::Fill).empty())
                << "no text hides the picture under it";
        }
    }
}

TEST_F(DiplomaPages, TurningThePaperInPrinterSetupLaysTheTextsOutAgain) {
    const std::vector<Page> across = pages({{"Ves", 1}}, true);
    sheet.QuickRep1.page.landscape = false;  // what "Printer setup" stores
    const std::vector<Page> upright = reports::generate(sheet.QuickRep1);
    ASSERT_EQ(upright.size(), 1u);
    EXPECT_NEAR(boxOf(upright[0], QStringLiteral("Ves")).center().x(), 105, 0.01);
    EXPECT_NEAR(boxOf(across[0], QStringLiteral("Ves")).center().x(), 148.5, 0.01);
}

TEST_F(DiplomaPages, ThePictureUnderTheTextsCoversThePageAndABrokenOneIsTold) {
    EXPECT_EQ(reports::readDiplomaBackground(competition::kDiplomaBackground).problem, QString())
        << "no picture is no problem";

    writeBigJpeg(competition::kDiplomaBackground, 5000, 3500);
    const reports::DiplomaBackground read =
        reports::readDiplomaBackground(competition::kDiplomaBackground);
    EXPECT_TRUE(read.problem.isEmpty()) << read.problem.toStdString();
    EXPECT_EQ(read.picture.width(), 3508) << "no larger than a page needs";
    EXPECT_NEAR(read.picture.height(), 3508 * 0.7, 1);
    const std::vector<Page> withPicture = pages({{"Ves", 1}, {"Lhota", 2}}, true, read.picture);
    for (const Page& page : withPicture) {
        ASSERT_FALSE(page.ops.empty());
        EXPECT_EQ(page.ops.front().kind, DrawOp::Kind::ScaledPicture) << "under everything";
        EXPECT_EQ(page.ops.front().box, QRectF(0, 0, 297, 210));
    }
    // Saved, the picture is kept once for both pages, and loads back the same.
    const QByteArray saved = reports::saveReport(withPicture);
    EXPECT_LT(saved.size(), 3508 * 2456 * 3 * 3 / 2);
    EXPECT_EQ(reports::loadReport(saved), withPicture);

    {
        std::ofstream broken(competition::kDiplomaBackground, std::ios::binary | std::ios::trunc);
        broken << "\xFF\xD8\xFF\xE0 not a whole picture";
    }
    const reports::DiplomaBackground damaged =
        reports::readDiplomaBackground(competition::kDiplomaBackground);
    EXPECT_TRUE(damaged.picture.isNull());
    EXPECT_THAT(damaged.problem.toStdString(), HasSubstr("diplom.jpg nelze přečíst"));
    EXPECT_THAT(damaged.problem.toStdString(), HasSubstr("bez něj"));
}

// Where the parts of a page stand, across and upright: a double frame inside the paper's
// edge and clear of every text, the standings under the place won, and in the lower half
// the stamp and the lines to sign, each caption centred under its line.
TEST_F(DiplomaPages, TheFrameStandingsStampAndSignaturesStandWhereTheLayoutPutsThem) {
    for (const bool landscape : {true, false}) {
        SCOPED_TRACE(landscape ? "across" : "upright");
        const std::vector<Page> all = pages({{"Ves", 1}, {"Účastníci", none}}, landscape);
        ASSERT_EQ(all.size(), 2u);
        const Page& page = all[0];
        std::vector<QRectF> frame;
        std::vector<QRectF> lines;
        for (const DrawOp& bar : drawn(page, DrawOp::Kind::Bar)) {
            const bool side = std::max(bar.box.width(), bar.box.height()) > page.width / 2;
            (side ? frame : lines).push_back(bar.box);
        }
        ASSERT_EQ(frame.size(), 8u) << "two lines on each side";
        QRectF outline;
        for (const QRectF& side : frame) {
            outline |= side;
        }
        EXPECT_NEAR(outline.left(), page.width - outline.right(), 0.01);
        EXPECT_NEAR(outline.top(), page.height - outline.bottom(), 0.01);
        EXPECT_GE(outline.left(), 5) << "where any printer reaches";
        EXPECT_LE(outline.left(), 10);
        for (const DrawOp& text : drawn(page, DrawOp::Kind::Text)) {
            EXPECT_TRUE(outline.contains(text.box)) << text.text.toStdString();
            for (const QRectF& side : frame) {
                EXPECT_FALSE(side.intersects(text.box)) << text.text.toStdString();
            }
        }

        const QRectF standings = boxOf(page, QStringLiteral("v celkovém pořadí"));
        EXPECT_GE(standings.top(), boxOf(page, QStringLiteral("za 1. místo")).bottom() - 0.01);
        EXPECT_LE(standings.bottom(), boxOf(page, QStringLiteral("Ves")).top() + 0.01);
        EXPECT_NEAR(standings.center().x(), page.width / 2, 0.01);
        EXPECT_TRUE(boxesOf(all[1], QStringLiteral("v celkovém pořadí")).empty())
            << "a diploma for taking part names no standings";

        const auto stamps = drawn(page, DrawOp::Kind::Picture);
        ASSERT_EQ(stamps.size(), 1u);
        const QRectF stampBox = stamps[0].box;
        EXPECT_GT(stampBox.top(), page.height / 2);
        EXPECT_GE(stampBox.top(),
                  boxOf(page, QStringLiteral("Horní Lhota, 12. července 2027")).bottom());
        ASSERT_EQ(lines.size(), 2u);
        const QString captions[] = {QStringLiteral("Hlavní rozhodčí"),
                                    QStringLiteral("Starosta obce")};
        for (std::size_t i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE(i);
            const QRectF caption = boxOf(page, captions[i]);
            EXPECT_GT(lines[i].top(), page.height / 2);
            EXPECT_LT(lines[i].height(), 1);
            EXPECT_GT(lines[i].width(), 50) << "room to sign";
            EXPECT_EQ(lines[i].center().x() < page.width / 2, i == 0) << "left, then right";
            EXPECT_NEAR(caption.center().x(), lines[i].center().x(), 0.01);
            EXPECT_GE(caption.top(), lines[i].bottom());
            EXPECT_LT(caption.top() - lines[i].bottom(), 5);
            EXPECT_FALSE(stampBox.intersects(lines[i] | caption));
        }
    }

    // Signatures left out, and one caption left empty: no line without its caption.
    const struct {
        competition::DiplomaLayout layout;
        std::vector<QString> captions;
    } layouts[] = {
        {{false, {"Hlavní rozhodčí", "Starosta obce"}}, {}},
        {{true, {" ", "Předseda poroty"}}, {QStringLiteral("Předseda poroty")}},
    };
    for (const auto& each : layouts) {
        options.signatures = reports::signatureCaptions(each.layout);
        const Page page = pages({{"Ves", 1}}, true)[0];
        const auto lines = drawn(page, DrawOp::Kind::Bar, [&](const DrawOp& bar) {
            return bar.box.height() < 1 && bar.box.width() < page.width / 2;
        });
        ASSERT_EQ(lines.size(), each.captions.size());
        EXPECT_TRUE(boxesOf(page, QStringLiteral("Hlavní rozhodčí")).empty());
        if (!lines.empty()) {
            EXPECT_GT(lines[0].box.left(), page.width / 2) << "in its own place, on the right";
            EXPECT_NEAR(boxOf(page, each.captions[0]).center().x(), lines[0].box.center().x(),
                        0.01);
        }
    }
}

// The page in cells of about a centimetre, each as grey as the page is on average there.
QImage cells(const QImage& page) {
    return page.convertToFormat(QImage::Format_Grayscale8)
        .scaled(page.size() / 12, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The page as it prints, kept at low resolution, across without a picture and upright over
// one: every cell of it as dark as in the kept page, so that anything moved, lost or added
// shows, while letters shaded a little differently do not. A page that differs is written
// beside the temporary files, to be looked at and kept when the change was meant.
TEST_F(DiplomaPages, APageLooksAsTheKeptOne) {
    QImage picture(60, 40, QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixelColor(x, y, QColor(255 - 2 * y, 240 - x, 200));
        }
    }
    const struct {
        const char* file;
        bool landscape;
        QImage background;
    } kept[] = {{"diploma-across.png", true, {}}, {"diploma-upright-picture.png", false, picture}};
    for (const auto& each : kept) {
        SCOPED_TRACE(each.file);
        const QImage shown = reports::renderPage(
            pages({{"Horní Lhota", 1}}, each.landscape, each.background)[0], 30);
        const QImage now = cells(shown);
        const QImage before =
            cells(QImage(QStringLiteral(ZLT_TEST_DATA "/") + QLatin1String(each.file)));
        double worst = now.size() == before.size() ? 0 : 1;
        for (int y = 0; worst < 1 && y < now.height(); ++y) {
            for (int x = 0; x < now.width(); ++x) {
                worst = std::max<double>(worst, std::abs(now.pixelColor(x, y).valueF() -
                                                         before.pixelColor(x, y).valueF()));
            }
        }
        if (worst > 0.06) {
            const fs::path made = fs::temp_directory_path() / each.file;
            shown.save(QString::fromStdString(made.string()));
            ADD_FAILURE() << "a cell of the page is " << worst
                          << " darker or lighter; as made: " << made;
        }
    }
}

// The layout kept in the event folder: read as written, the default one for a missing
// file and for a damaged one, which is named with its line.
TEST(DiplomaLayoutChoice, IsReadAsKeptAndADamagedFileGivesTheDefaultNamed) {
    using competition::DiplomaLayout;
    TempFolder folder;
    const fs::path file =
        folder.path() / competition::choiceFile(competition::EventChoice::DiplomaLayout);
    EXPECT_EQ(competition::readDiplomaLayout(folder.path()).layout, DiplomaLayout{});
    const struct {
        const char* bytes;
        DiplomaLayout layout;
        const char* problem;
    } cases[] = {
        {"podpisy=ne\npodpis1=Předseda poroty\npodpis2=\n", {false, {"Předseda poroty", ""}}, ""},
        {"podpis2=Starostka obce\n", {true, {"Hlavní rozhodčí", "Starostka obce"}}, ""},
        {"podpisy=ano\npodpisy=možná\n", {}, "diplomy.txt, řádek 2: podpisy mohou být jen ano"},
        {"podpis3=Kronikář\n", {}, "diplomy.txt, řádek 1: neznámá volba „podpis3“"},
        {"Hlavní rozhodčí\n", {}, "diplomy.txt, řádek 1: chybí „=“"},
    };
    for (const auto& each : cases) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << each.bytes;
        const competition::KeptDiplomaLayout read = competition::readDiplomaLayout(folder.path());
        EXPECT_EQ(read.layout, each.layout) << each.bytes;
        if (*each.problem == '\0') {
            EXPECT_EQ(read.problem, "") << each.bytes;
        } else {
            EXPECT_THAT(read.problem, HasSubstr(each.problem));
            EXPECT_THAT(read.problem, HasSubstr("výchozí podpisy"));
        }
    }
    const DiplomaLayout chosen{false, {"Rozhodčí = sudí", ""}};
    competition::keepDiplomaLayout(folder.path(), chosen);
    EXPECT_EQ(competition::readDiplomaLayout(folder.path()).layout, chosen);
    competition::keepDiplomaLayout(folder.path(), {});
    EXPECT_FALSE(fs::exists(file)) << "the default layout keeps no file";
}

// A report saved by the program before scaled pictures existed still loads.
TEST(SavedReports, AFileOfTheFirstVersionStillLoads) {
    QByteArray bytes("ZLT saved report\n");
    const auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.append(static_cast<char>(v >> (8 * i)));
    };
    const auto f64 = [&](double v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        u32(static_cast<std::uint32_t>(bits));
        u32(static_cast<std::uint32_t>(bits >> 32));
    };
    u32(1);  // version
    u32(1);  // pages
    f64(210);
    f64(297);
    u32(1);  // operations
    bytes.append(static_cast<char>(DrawOp::Kind::Picture));
    for (const double v : {10.0, 20.0, 30.0, 40.0})
        f64(v);
    u32(1);
    u32(1);
    bytes.append("\x01\x02\x03", 3);
    const std::vector<Page> pages = reports::loadReport(bytes);
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].ops.size(), 1u);
    EXPECT_EQ(pages[0].ops[0].box, QRectF(10, 20, 30, 40));
    EXPECT_EQ(pages[0].ops[0].picture.pixel(0, 0), qRgb(1, 2, 3));
}

}  // namespace
}  // namespace zlt::test
