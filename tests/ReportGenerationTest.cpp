#include <gmock/gmock.h>

#include <QDate>
#include <QLocale>

#include "reports/model/Generator.h"
#include "tests/support/Application.h"
#include "tests/support/PageQuery.h"
#include "tests/support/SampleReport.h"

namespace zlt::reports {
namespace {

using Kind = DrawOp::Kind;

using test::boxesOf;
using test::boxOf;
using test::drawn;

int countOf(const Page& page, Kind kind) {
    return static_cast<int>(drawn(page, kind).size());
}

// The texts whose left edge lies in [left, right).
test::DrawFilter startingIn(double left, double right) {
    return [=](const DrawOp& op) { return op.box.left() >= left && op.box.left() < right; };
}

class ReportGeneration : public ::testing::Test {
protected:
    void SetUp() override { test::ensureApplication(); }
    test::SampleReport sample;
};

TEST_F(ReportGeneration, BandsFollowEachOtherFromTheTopMarginAndBreakWhenTheyNoLongerFit) {
    sample.holdRows(31);  // 43.13 + 31 * 6.35 + 35.98 = 275.96 mm: one page
    std::vector<Page> pages = generate(sample.report);
    ASSERT_EQ(pages.size(), 1u);
    // Element tops are band position plus their own top; the left margin is 10 mm.
    EXPECT_NEAR(boxOf(pages[0], QStringLiteral("Tým 1")).top(), 10 + 43.13 + 1, 0.01);
    EXPECT_NEAR(boxOf(pages[0], QStringLiteral("Tým 31")).top(), 10 + 43.13 + 30 * 6.35 + 1, 0.01);
    EXPECT_NEAR(boxOf(pages[0], QStringLiteral("Tým 31")).left(), 10 + 40, 0.01);
    EXPECT_NEAR(boxesOf(pages[0], QStringLiteral("31")).back().top(), 10 + 43.13 + 31 * 6.35 + 5,
                0.01)
        << "the count in the summary right below the last row";
    EXPECT_EQ(countOf(pages[0], Kind::Rectangle), 31);

    sample.holdRows(32);  // 282.31 mm: the summary starts page 2 at the top margin
    pages = generate(sample.report);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(countOf(pages[0], Kind::Rectangle), 32);
    EXPECT_EQ(countOf(pages[1], Kind::Rectangle), 0);
    EXPECT_NEAR(boxOf(pages[1], QStringLiteral("32")).top(), 10 + 5, 0.01);

    sample.holdRows(70);  // rows themselves break pages: 37 fit below the title on page 1
    pages = generate(sample.report);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(countOf(pages[0], Kind::Rectangle), 36);
    EXPECT_NEAR(boxOf(pages[1], QStringLiteral("Tým 37")).top(), 10 + 1, 0.01);
}

TEST_F(ReportGeneration, CountAndDateAreTheSameInEveryRunAndTheSetEndsOnItsLastRow) {
    sample.rows.moveTo(4);
    sample.rows.edit();
    sample.rows.setField("DRUZSTVO", std::string("Lhota"));
    const auto first = generate(sample.report);
    const auto second = generate(sample.report);
    EXPECT_EQ(first, second);
    EXPECT_EQ(boxesOf(first.back(), QStringLiteral("30")).size(), 2u) << "row 30 and the count";
    EXPECT_EQ(boxesOf(first.back(), sheetDate(QDate::currentDate())).size(), 1u);
    EXPECT_EQ(sample.rows.recNo(), 29);
    EXPECT_EQ(sample.rows.state(), db::DataSetState::Browse);
    EXPECT_EQ(boxesOf(first[0], QStringLiteral("Lhota")).size(), 1u)
        << "the row being edited was saved first";
}

TEST(SheetDate, IsTheLocalesShortDateOrWithoutALocaleTheCzechOneWithTheWholeYear) {
    const QLocale none = QLocale::c();
    EXPECT_EQ(sheetDate(QDate(2026, 12, 10), none), QStringLiteral("10.12.2026"));
    EXPECT_EQ(sheetDate(QDate(2026, 3, 5), none), QStringLiteral("05.03.2026"));
    EXPECT_EQ(sheetDate(QDate(2026, 3, 5), QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("3/5/26"))
        << "a machine's own locale keeps its form";
}

TEST_F(ReportGeneration, AnEmptySetGivesOnePageWithOneEmptyDetailBand) {
    sample.holdRows(0);
    const auto pages = generate(sample.report);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(countOf(pages[0], Kind::Rectangle), 1);
    // Title texts, the count of no teams, and the date: no data text prints.
    EXPECT_EQ(countOf(pages[0], Kind::Text), 5);
    EXPECT_EQ(boxesOf(pages[0], QStringLiteral("0")).size(), 1u);
    EXPECT_NEAR(boxOf(pages[0], QStringLiteral("0")).top(), 10 + 43.13 + 6.35 + 5, 0.01);
}

TEST_F(ReportGeneration, AutoSizedTextsKeepTheAnchorOfTheirAlignment) {
    const FontSpec& base = sample.report.baseFont;
    Element& centred = sample.report.element("QRLabel1");
    const double centre = centred.left + centred.width / 2;
    centred.setCaption(QStringLiteral("50. ZELTORIA — VÝSLEDKY 1. DISCIPLÍNY"), base);
    EXPECT_NEAR(centred.left + centred.width / 2, centre, 1e-9);
    Element& left = sample.report.element("QRLabel2");
    left.setCaption(QStringLiteral("Startovní číslo"), base);
    EXPECT_DOUBLE_EQ(left.left, 10);
    Element& right = sample.report.element("QRLabel3");
    const double rightEdge = right.left + right.width;
    right.setCaption(QStringLiteral("D"), base);
    EXPECT_NEAR(right.left + right.width, rightEdge, 1e-9);
    left.setLeftPixels(176);
    EXPECT_NEAR(left.left, 46.57, 0.005);

    const auto pages = generate(sample.report);
    const QRectF heading = boxOf(pages[0], centred.caption);
    EXPECT_NEAR(heading.center().x(), 10 + centre, 0.01);
    EXPECT_NEAR(heading.width(), textWidth(centred.caption, *centred.font), 1e-9);
    // The right-aligned team numbers end at the same edge whatever their width.
    EXPECT_NEAR(boxOf(pages[0], QStringLiteral("9")).right(),
                boxOf(pages[0], QStringLiteral("10")).right(), 1e-9);
    // Labels hide what lies under them; data texts only draw their glyphs.
    const auto fills = countOf(pages[0], Kind::Fill);
    EXPECT_EQ(fills, 3 + 2) << "three title labels, then the count and the date";
}

TEST_F(ReportGeneration, AFieldNameThatNamesNoFieldPrintsNothing) {
    const auto pages = generate(sample.report);
    EXPECT_TRUE(drawn(pages[0], Kind::Text, startingIn(10 + 120, 10 + 140)).empty());
    sample.report.element("QRDBText3").dataField = "CISLO";
    EXPECT_EQ(drawn(generate(sample.report)[0], Kind::Text, startingIn(10 + 120, 10 + 140)).size(),
              30u);
}

TEST_F(ReportGeneration, APictureDrawsAtNaturalSizeClippedToItsBox) {
    QImage stamp(227, 128, QImage::Format_RGB888);
    stamp.fill(Qt::red);
    sample.report.element("QRImage1").picture = stamp;
    const auto pages = generate(sample.report);
    const auto pictures = drawn(pages[0], Kind::Picture);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_NEAR(pictures[0].box.left(), 10 + 120, 0.01);
    EXPECT_NEAR(pictures[0].box.width(), 60, 0.01);
    EXPECT_EQ(pictures[0].picture.size(), QSize(227, 128));
}

TEST_F(ReportGeneration, AClosedResultSetIsAnError) {
    sample.rows.close();
    EXPECT_THROW(generate(sample.report), std::exception);
}

}  // namespace
}  // namespace zlt::reports
