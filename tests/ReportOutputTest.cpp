#include <gmock/gmock.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QProcess>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>

#include "reports/Preview.h"
#include "reports/model/Generator.h"
#include "reports/model/PageTarget.h"
#include "reports/model/SavedReport.h"
#include "tests/support/Application.h"
#include "tests/support/BigJpeg.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Operator.h"
#include "tests/support/SampleReport.h"
#include "tests/support/Thrown.h"

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
    EXPECT_EQ(
        test::thrownMessage<std::runtime_error>([&] { loadReportFile(file("missing.zltr")); }),
        "File does not exist");
}

TEST_F(ReportOutput, DamagedSavedReportsAreRefusedWithAClearError) {
    const QByteArray good = saveReport(pages);
    // Every cut of the file is refused, never read as fewer pages.
    for (qsizetype size = 0; size < good.size(); size += 1 + size / 8) {
        EXPECT_THROW(loadReport(good.left(size)), SavedReportError) << size;
    }
    QByteArray newer = good;
    newer[17] = 4;
    EXPECT_THAT([&] { loadReport(newer); },
                ::testing::ThrowsMessage<SavedReportError>(HasSubstr("version 4")));
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

// Pictures as large as the JPEG loader reads (10,000 pixels a side) are saved and loaded
// alike; a larger one is refused when saving, before a file is made, not when loading.
TEST_F(ReportOutput, SavingAndLoadingAcceptTheSamePictureSizes) {
    std::vector<Page> wide = {Page{}};
    QImage strip(10000, 2, QImage::Format_RGB888);
    strip.fill(QColor(10, 120, 200));
    wide[0].ops.push_back({DrawOp::Kind::Picture, QRectF(10, 10, 60, 34), {}, {}, strip});
    QImage column(3, 10000, QImage::Format_RGB888);
    column.fill(QColor(250, 200, 0));
    wide[0].ops.push_back({DrawOp::Kind::Picture, QRectF(80, 10, 60, 34), {}, {}, column});
    saveReportFile(wide, file("wide.zltr"));
    EXPECT_EQ(loadReportFile(file("wide.zltr")), wide);

    wide[0].ops[1].picture = QImage(3, 10001, QImage::Format_RGB888);
    EXPECT_THAT([&] { saveReportFile(wide, file("too-wide.zltr")); },
                ::testing::ThrowsMessage<SavedReportError>(HasSubstr("10000 pixels")));
    EXPECT_FALSE(QFile::exists(file("too-wide.zltr")));
}

// The view draws only what it shows: a 105-byte saved report with a 10 x 5000 mm page,
// zoomed to the width, once took 3.15 GB for one picture of the whole page.
TEST_F(ReportOutput, ALongPageZoomedToTheWidthCostsOnlyWhatTheViewShows) {
    Page strip;
    strip.width = 10;
    strip.height = 5000;
    strip.ops.push_back({DrawOp::Kind::Rectangle, QRectF(1, 4990, 8, 8), {}, {}, {}});
    saveReportFile({strip}, file("strip.zltr"));
    withPreview(sample.report, [&](PreviewWindow& preview) {
        const std::size_t before = test::peakMemory();
        preview.loadFrom(file("strip.zltr"));
        test::op::clickCommand(preview, QStringLiteral("Zoom to width"));
        test::op::press(Qt::Key_End);
        QApplication::processEvents();
        preview.grab();
        const std::size_t growth = test::peakMemory() - before;
        EXPECT_LT(growth, std::size_t{64} << 20)
            << "peak memory grew by " << (growth >> 20) << " MB";
        std::printf("A 10 x 5000 mm page zoomed to the width: peak memory grew by %zu MB\n",
                    growth >> 20);
        auto* view = preview.findChild<QScrollArea*>();
        ASSERT_NE(view, nullptr);
        EXPECT_NEAR(view->widget()->width(), preview.pixelsPerMm() * 10, 1);
        EXPECT_NEAR(view->widget()->height(), preview.pixelsPerMm() * 5000, 1);
    });
}

// What the view draws of a page, piece by piece, is the page as a whole picture shows it.
TEST_F(ReportOutput, ThePartsOfAPageTheViewDrawsMatchTheWholePage) {
    withPreview(sample.report, [&](PreviewWindow& preview) {
        auto* view = preview.findChild<QScrollArea*>();
        ASSERT_NE(view, nullptr);
        QWidget* sheet = view->widget();
        const QImage whole = renderPage(pages[0], preview.pixelsPerMm() * 25.4);
        ASSERT_EQ(sheet->size(), whole.size());
        for (const QRect part : {QRect(0, 0, 300, 200), QRect(37, whole.height() - 251, 401, 250),
                                 QRect(whole.width() / 2, whole.height() / 3, 123, 77)}) {
            const QImage drawn = sheet->grab(part).toImage().convertToFormat(QImage::Format_RGB32);
            EXPECT_EQ(drawn, whole.copy(part)) << part.x() << "," << part.y();
        }
    });
}

// "Printer setup" stores landscape in the page setup; the next generation and the print
// lay the sheet out across the turned paper.
TEST_F(ReportOutput, LandscapeChosenForAReportLaysItsNextPagesAcross) {
    sample.report.page.landscape = true;
    const std::vector<Page> turned = generate(sample.report);
    ASSERT_FALSE(turned.empty());
    EXPECT_DOUBLE_EQ(turned[0].width, 297);
    EXPECT_DOUBLE_EQ(turned[0].height, 210);
    double lowest = 0;
    for (const DrawOp& op : turned[0].ops)
        lowest = std::max(lowest, op.box.bottom());
    EXPECT_LE(lowest, 200) << "the first page ends above the turned paper's bottom margin";
    exportPdf(turned, file("turned.pdf"));
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"),
                    QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                    QStringLiteral("1"), file("turned.pdf"), file("turned")});
    ASSERT_TRUE(pdftoppm.waitForFinished(60000));
    const QImage first(file("turned-1.png"));
    EXPECT_GT(first.width(), first.height()) << "the PDF page lies across";
    withPreview(sample.report, [&](PreviewWindow& preview) {
        EXPECT_EQ(preview.pages(), turned) << "a new preview is laid out across too";
    });
}

// Runs the steps in the file dialog that the next click opens, once it is on the screen.
void whenFileDialogShown(std::function<void(QFileDialog&)> steps, int tries = 200) {
    QTimer::singleShot(10, [steps = std::move(steps), tries] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            QApplication::processEvents();
            steps(*dialog);
        } else if (tries > 0) {
            whenFileDialogShown(steps, tries - 1);
        } else {
            ADD_FAILURE() << "no file dialog";
        }
    });
}

// A command the window is too narrow for sits behind the tool bar's extension button,
// which a person opens first.
void clickCommandPastTheEdge(PreviewWindow& preview, const QString& toolTip) {
    auto* bar = preview.findChild<QToolBar*>();
    ASSERT_NE(bar, nullptr);
    for (QAction* action : bar->actions()) {
        if (action->toolTip() != toolTip)
            continue;
        if (!bar->widgetForAction(action)->isVisible()) {
            auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
            ASSERT_NE(more, nullptr);
            test::op::click(*more);
            // The tool bar opens with an animation.
            QElapsedTimer waited;
            waited.start();
            while (!bar->widgetForAction(action)->isVisible() && waited.elapsed() < 3000)
                QApplication::processEvents(QEventLoop::AllEvents, 20);
            ASSERT_TRUE(bar->widgetForAction(action)->isVisible()) << "not shown by the extension";
        }
        test::op::click(*bar->widgetForAction(action));
        return;
    }
    ADD_FAILURE() << "no command " << toolTip.toStdString();
}

// "Save Report" adds the suffix the loader's dialog looks for when the typed name has none.
TEST_F(ReportOutput, ASavedReportNamedWithoutASuffixGetsZltr) {
    withPreview(sample.report, [&](PreviewWindow& preview) {
        for (const char* typed : {"rozpis", "rozpis-kopie.zltr"}) {
            SCOPED_TRACE(typed);
            whenFileDialogShown([&](QFileDialog& dialog) {
                EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Save report"));
                dialog.setDirectory(QString::fromStdString(sample.folder.path().string()));
                test::op::type(QString::fromUtf8(typed));
                test::op::press(Qt::Key_Return);
                if (dialog.isVisible()) {
                    ADD_FAILURE() << "the dialog did not take the name";
                    dialog.reject();
                }
            });
            clickCommandPastTheEdge(preview, QStringLiteral("Save Report"));
        }
        // Back to the page, so that Esc closes the preview; without a window manager nobody
        // gives the preview back the activation the tool bar's popup took.
        preview.activateWindow();
        QApplication::processEvents();
        test::op::click(*preview.findChild<QScrollArea*>()->viewport());
    });
    EXPECT_EQ(loadReportFile(file("rozpis.zltr")), pages);
    EXPECT_TRUE(QFile::exists(file("rozpis-kopie.zltr")));
    EXPECT_FALSE(QFile::exists(file("rozpis")));
    EXPECT_FALSE(QFile::exists(file("rozpis-kopie.zltr.zltr")));
}

// With no printer "Print" prints nothing and says so where the operator looks.
TEST_F(ReportOutput, PrintWithNoPrinterSaysSoInTheStatusBar) {
    // A print server nobody listens on: no printers, whatever this machine has installed.
    qputenv("CUPS_SERVER", file("no-cups.sock").toLocal8Bit());
    withPreview(sample.report, [&](PreviewWindow& preview) {
        test::op::clickCommand(preview, QStringLiteral("Print"));
        EXPECT_EQ(preview.statusBar()->currentMessage(),
                  QStringLiteral("Není nainstalována žádná tiskárna – použijte Export PDF"));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no progress window";
        test::op::clickCommand(preview, QStringLiteral("Next page"));
        EXPECT_TRUE(preview.statusBar()->currentMessage().isEmpty());
    });
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
