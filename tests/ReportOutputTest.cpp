#include <gmock/gmock.h>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QToolBar>

#include "reports/Preview.h"
#include "reports/model/Generator.h"
#include "reports/model/PageTarget.h"
#include "reports/model/SavedReport.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/SampleReport.h"

namespace zlt::reports {
namespace {

using ::testing::HasSubstr;

class ReportOutput : public ::testing::Test {
protected:
    void SetUp() override {
        test::ensureApplication();
        QImage stamp(227, 128, QImage::Format_RGB888);
        stamp.fill(QColor(200, 30, 30));
        sample.report.element("QRImage1").picture = stamp;
        sample.holdRows(32);
        pages = generate(sample.report);
    }
    QString file(const char* name) const {
        return QString::fromStdString((sample.folder.path() / name).string());
    }
    test::SampleReport sample;
    std::vector<Page> pages;
};

TEST_F(ReportOutput, SavedPagesLoadBackIdentical) {
    saveReportFile(pages, file("sheet.zltr"));
    EXPECT_EQ(loadReportFile(file("sheet.zltr")), pages);
    try {
        loadReportFile(file("missing.zltr"));
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "File does not exist");
    }
}

TEST_F(ReportOutput, DamagedSavedReportsAreRefusedWithAClearError) {
    const QByteArray good = saveReport(pages);
    // Every cut of the file is refused, never read as fewer pages.
    for (qsizetype size = 0; size < good.size(); size += 1 + size / 8) {
        EXPECT_THROW(loadReport(good.left(size)), SavedReportError) << size;
    }
    QByteArray newer = good;
    newer[17] = 2;
    EXPECT_THAT([&] { loadReport(newer); },
                ::testing::ThrowsMessage<SavedReportError>(HasSubstr("version 2")));
    EXPECT_THROW(loadReport(QByteArray("%PDF-1.4\n")), SavedReportError);
    // A page count far beyond the file's size is refused before anything is allocated.
    QByteArray hostile = good.left(21);
    hostile.append(QByteArray("\xff\xff\xff\x7f", 4));
    EXPECT_THAT([&] { loadReport(hostile); },
                ::testing::ThrowsMessage<SavedReportError>(HasSubstr("count")));
    EXPECT_THROW(loadReport(good + "x"), SavedReportError);
}

// The PDF shows what the screen shows: rendered at 40 dpi, the two differ only in how thin
// lines and glyph edges are shaded, never in where ink is.
TEST_F(ReportOutput, ThePdfHoldsTheSamePagesAsTheScreen) {
    exportPdf(pages, file("sheet.pdf"));
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"),
                    file("sheet.pdf"), file("page")});
    ASSERT_TRUE(pdftoppm.waitForFinished(60000));
    ASSERT_EQ(pdftoppm.exitCode(), 0) << pdftoppm.readAllStandardError().toStdString();
    for (int number = 1; number <= 2; ++number) {
        const QImage printed = QImage(file(number == 1 ? "page-1.png" : "page-2.png"))
                                   .convertToFormat(QImage::Format_RGB32);
        const QImage screen = renderPage(pages[number - 1], 40);
        ASSERT_EQ(printed.size(), screen.size()) << number;
        int inkOnlyInOne = 0, ink = 0;
        for (int y = 0; y < screen.height(); ++y) {
            for (int x = 0; x < screen.width(); ++x) {
                const int shown = qGray(screen.pixel(x, y));
                inkOnlyInOne += std::abs(qGray(printed.pixel(x, y)) - shown) > 150;
                ink += shown < 128;
            }
        }
        EXPECT_GT(ink, 500) << "page " << number;
        EXPECT_LT(inkOnlyInOne, screen.width() * screen.height() / 200) << "page " << number;
    }
    EXPECT_FALSE(QFile::exists(file("page-3.png")));
}

void withPreview(ReportDefinition& report, const std::function<void(PreviewWindow&)>& steps) {
    test::op::inPreview([&] { previewReport(report); }, steps);
}

TEST_F(ReportOutput, ThePreviewPagesByButtonsAndKeysAndReturnsWhenClosed) {
    bool shown = false;
    sample.rows.first();
    withPreview(sample.report, [&](PreviewWindow& preview) {
        shown = true;
        EXPECT_EQ(preview.windowTitle(), QStringLiteral("Print Preview"));
        EXPECT_TRUE(preview.isMaximized());
        EXPECT_EQ(preview.pagePanel->text(), QStringLiteral("Page 1 of 2"));
        EXPECT_TRUE(preview.progressPanel->text().isEmpty());
        EXPECT_TRUE(preview.ZoomToWidth->isChecked());
        EXPECT_TRUE(preview.Print->isEnabled());
        EXPECT_EQ(preview.ExitButton->text(), QStringLiteral("&Close"));
        test::op::clickCommand(preview, QStringLiteral("Next page"));
        EXPECT_EQ(preview.pagePanel->text(), QStringLiteral("Page 2 of 2"));
        test::op::clickCommand(preview, QStringLiteral("Next page"));
        EXPECT_EQ(preview.currentPage(), 2) << "no page beyond the last";
        test::op::press(Qt::Key_Home);
        EXPECT_EQ(preview.currentPage(), 1);
        test::op::press(Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(preview.currentPage(), 2);
        test::op::press(Qt::Key_PageUp);
        EXPECT_EQ(preview.currentPage(), 1);
        test::op::clickCommand(preview, QStringLiteral("Zoom to fit"));
        EXPECT_TRUE(preview.ZoomFit->isChecked());
        EXPECT_FALSE(preview.ZoomToWidth->isChecked());
        test::op::clickCommand(preview, QStringLiteral("100%"));
        EXPECT_NEAR(preview.pixelsPerMm(), preview.logicalDpiX() / 25.4, 1e-9);
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(sample.rows.recNo(), 31) << "the result set stays on its last row";
}

TEST_F(ReportOutput, ThePreviewSavesLoadsAndExportsItsPages) {
    test::DialogRecorder dialogs;
    withPreview(sample.report, [&](PreviewWindow& preview) {
        preview.saveTo(file("saved.zltr"));
        preview.exportTo(file("saved.pdf"));
        preview.loadFrom(file("missing.zltr"));
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].text, QStringLiteral("File does not exist"));
        EXPECT_EQ(preview.pages(), pages);

        QFile damaged(file("damaged.zltr"));
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(saveReport(pages).left(100));
        damaged.close();
        EXPECT_THROW(preview.loadFrom(file("damaged.zltr")), SavedReportError);
        EXPECT_EQ(preview.pages(), pages) << "a refused file changes nothing";
        EXPECT_TRUE(preview.PrintSetup->isEnabled());

        sample.holdRows(3);
        preview.loadFrom(file("saved.zltr"));
        EXPECT_EQ(preview.pages(), pages);
        EXPECT_EQ(preview.pagePanel->text(), QStringLiteral("Page 1 of 2"));
        EXPECT_FALSE(preview.PrintSetup->isEnabled());
    });
    EXPECT_TRUE(QFile::exists(file("saved.pdf")));
}

}  // namespace
}  // namespace zlt::reports
