// The five sheets printed through the preview's "Print" onto a real CUPS queue: a private
// cupsd with a cups-pdf queue as its default printer. cups-pdf re-encodes the fonts, so
// what it printed is compared with the exported PDF as pixels, not as text.
#include <gmock/gmock.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QThread>
#include <QTransform>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>

#include "finals/Finale.h"
#include "reports/Preview.h"
#include "reports/TiskDisc.h"
#include "reports/Volba.h"
#include "settings/Nastaveni.h"
#include "tests/support/MainWindowFixture.h"

namespace zlt::test {
namespace {

namespace fs = std::filesystem;
using platform::DialogButton;

const fs::path kCupsd = "/usr/sbin/cupsd";
const fs::path kCupsPdf = "/usr/lib/cups/backend/cups-pdf";
const fs::path kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd";
// cups-pdf reads a queue's own settings only from here, by the name in its device URI.
const fs::path kCupsPdfSettings = "/etc/cups";

// Runs a program to its end; its output, or why it failed.
bool run(const QString& program, const QStringList& arguments, QString* output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(30000);
    *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A cupsd of the test's own: its configuration, spool, logs and socket in a temporary
// folder, reached through CUPS_SERVER, so it neither needs nor touches the machine's print
// service and tests running beside it never see it. It ends with the test, and with the
// test process if that dies.
class PrivateCups {
public:
    // Empty when it runs with its queue as the default printer; otherwise why not.
    std::string start() {
        if (geteuid() != 0) {
            return "cups-pdf writes its files only when run by a cupsd running as root";
        }
        for (const fs::path& needed : {kCupsd, kCupsPdf, kPpd, fs::path("/usr/sbin/lpadmin"),
                                       fs::path("/usr/bin/lpstat"), fs::path("/usr/bin/gs")}) {
            if (!fs::exists(needed))
                return needed.string() + " is not installed (scripts/install-deps.sh installs it)";
        }
        if (!fs::is_directory(kCupsPdfSettings))
            return kCupsPdfSettings.string() + " is missing";
        removeLeftovers();
        std::string pattern = "/tmp/zlt-cups-" + std::to_string(getpid()) + "-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            return "no temporary folder";
        root_ = pattern;
        // The filters run as the user lp and must reach the spool below.
        fs::permissions(root_, fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
        for (const char* sub : {"conf", "spool", "spool/tmp", "cache", "state", "log", "out"})
            fs::create_directories(root_ / sub);
        socket_ = root_ / "cups.sock";
        queue_ = "zlt-test-" + std::to_string(getpid());
        std::ofstream(root_ / "conf" / "cupsd.conf")
            << "Listen " << socket_.string() << "\n"
            << "LogLevel info\nWebInterface No\nBrowsing No\nErrorPolicy abort-job\n"
            << "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n";
        std::ofstream(root_ / "conf" / "cups-files.conf")
            << "ServerRoot " << (root_ / "conf").string() << "\n"
            << "RequestRoot " << (root_ / "spool").string() << "\n"
            << "TempDir " << (root_ / "spool" / "tmp").string() << "\n"
            << "CacheDir " << (root_ / "cache").string() << "\n"
            << "StateDir " << (root_ / "state").string() << "\n"
            << "ErrorLog " << (root_ / "log" / "error_log").string() << "\n"
            << "AccessLog " << (root_ / "log" / "access_log").string() << "\n"
            << "PageLog " << (root_ / "log" / "page_log").string() << "\n"
            << "Printcap " << (root_ / "printcap").string() << "\n"
            << "FileDevice No\n";
        settingsFile_ = kCupsPdfSettings / ("cups-pdf-" + queue_ + ".conf");
        std::ofstream(settingsFile_) << "Out " << outFolder().string() << "\n"
                                     << "AnonDirName " << outFolder().string() << "\n"
                                     << "UserUMask 0022\nLabel 1\n";

        cupsd_.setProgram(QString::fromStdString(kCupsd.string()));
        cupsd_.setArguments(
            {QStringLiteral("-f"), QStringLiteral("-c"),
             QString::fromStdString((root_ / "conf" / "cupsd.conf").string()), QStringLiteral("-s"),
             QString::fromStdString((root_ / "conf" / "cups-files.conf").string())});
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        cupsd_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        cupsd_.start();
        if (!cupsd_.waitForStarted(10000))
            return "cupsd did not start: " + cupsd_.errorString().toStdString();
        qputenv("CUPS_SERVER", QByteArray::fromStdString(socket_.string()));
        QString output;
        QElapsedTimer waited;
        waited.start();
        while (!run(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &output)) {
            if (cupsd_.state() != QProcess::Running || waited.elapsed() > 10000)
                return "cupsd did not answer: " + log();
            QThread::msleep(100);
        }
        const QString queue = QString::fromStdString(queue_);
        if (!run(QStringLiteral("lpadmin"),
                 {QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                  QStringLiteral("cups-pdf:/") + queue, QStringLiteral("-P"),
                  QString::fromStdString(kPpd.string())},
                 &output) ||
            !run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), queue}, &output)) {
            return "the cups-pdf queue could not be added: " + output.toStdString();
        }
        return {};
    }

    ~PrivateCups() {
        if (cupsd_.state() != QProcess::NotRunning) {
            cupsd_.terminate();
            if (!cupsd_.waitForFinished(10000)) {
                cupsd_.kill();
                cupsd_.waitForFinished(5000);
            }
        }
        std::error_code ignored;
        if (!settingsFile_.empty())
            fs::remove(settingsFile_, ignored);
        if (!root_.empty())
            fs::remove_all(root_, ignored);
    }

    fs::path outFolder() const { return root_ / "out"; }

    // What a test process killed before its clean-up left: its cupsd ended with it, but its
    // queue's settings and its folder stay. Each name holds the process number.
    static void removeLeftovers() {
        const auto ownerGone = [](const std::string& name, const std::string& prefix) {
            if (name.rfind(prefix, 0) != 0)
                return false;
            const int pid = std::atoi(name.c_str() + prefix.size());
            return pid > 0 && kill(pid, 0) != 0 && errno == ESRCH;
        };
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(kCupsPdfSettings, ignored)) {
            if (ownerGone(entry.path().filename().string(), "cups-pdf-zlt-test-"))
                fs::remove(entry.path(), ignored);
        }
        for (const auto& entry : fs::directory_iterator("/tmp", ignored)) {
            if (ownerGone(entry.path().filename().string(), "zlt-cups-"))
                fs::remove_all(entry.path(), ignored);
        }
    }

    // Waits until the queue has no job left, and gives the PDF files that appeared since
    // the last call.
    std::vector<fs::path> newlyPrinted() {
        QElapsedTimer waited;
        waited.start();
        QString pending;
        while (waited.elapsed() < 60000) {
            if (run(QStringLiteral("lpstat"), {QStringLiteral("-o")}, &pending) &&
                pending.trimmed().isEmpty())
                break;
            QThread::msleep(100);
        }
        std::vector<fs::path> added;
        for (const auto& entry : fs::directory_iterator(outFolder())) {
            if (entry.path().extension() == ".pdf" && seen_.insert(entry.path()).second)
                added.push_back(entry.path());
        }
        return added;
    }

    std::string log() const {
        std::ifstream in(root_ / "log" / "error_log");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return text.size() > 3000 ? text.substr(text.size() - 3000) : text;
    }

private:
    fs::path root_;
    fs::path socket_;
    fs::path settingsFile_;
    std::string queue_;
    QProcess cupsd_;
    std::set<fs::path> seen_;
};

// The pages of a PDF file as pictures at 50 dpi.
std::vector<QImage> rasterise(const fs::path& pdf) {
    const QString prefix = QString::fromStdString(pdf.string()) + QStringLiteral("-page");
    QString output;
    if (!run(QStringLiteral("pdftoppm"),
             {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-gray"),
              QString::fromStdString(pdf.string()), prefix},
             &output)) {
        ADD_FAILURE() << "pdftoppm: " << output.toStdString();
        return {};
    }
    std::vector<QImage> pages;
    const fs::path folder = pdf.parent_path();
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(pdf.filename().string() + "-page", 0) == 0)
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        pages.push_back(QImage(QString::fromStdString(file.string()))
                            .convertToFormat(QImage::Format_Grayscale8));
        fs::remove(file);
    }
    return pages;
}

// The share of pixels that are ink in one picture and paper in the other, where no pixel
// next to it in the other picture matches either. cups-pdf's re-encoded fonts shade glyph
// edges and thin lines a little differently, by up to a pixel at 50 dpi (half a
// millimetre); ink in a wrong place (a shifted, scaled, missing or extra text) shows.
double inkDifference(const QImage& printed, const QImage& exported) {
    const auto matchesNear = [](const QImage& other, int x, int y, int value) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx, ny = y + dy;
                if (nx >= 0 && ny >= 0 && nx < other.width() && ny < other.height() &&
                    std::abs(int{other.constScanLine(ny)[nx]} - value) <= 128)
                    return true;
            }
        }
        return false;
    };
    long differing = 0;
    for (int y = 0; y < exported.height(); ++y) {
        for (int x = 0; x < exported.width(); ++x) {
            const int a = printed.constScanLine(y)[x];
            const int b = exported.constScanLine(y)[x];
            if (std::abs(a - b) > 128 &&
                (!matchesNear(exported, x, y, a) || !matchesNear(printed, x, y, b)))
                ++differing;
        }
    }
    return double(differing) / (double(exported.width()) * exported.height());
}

long inkOf(const QImage& page) {
    long ink = 0;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* row = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x)
            ink += row[x] < 128;
    }
    return ink;
}

// At most this share of a page's pixels may be ink on one side only, with nothing like it
// a pixel away: one in ten thousand, a few dozen pixels of an A4 page at 50 dpi.
constexpr double kTolerance = 0.0001;

// The OK button of a dialog, not of a dialog it opened.
QPushButton* okOf(QWidget& dialog) {
    for (auto* buttons : dialog.findChildren<QDialogButtonBox*>()) {
        if (buttons->window() == &dialog)
            return buttons->button(QDialogButtonBox::Ok);
    }
    return nullptr;
}

// "Printer setup", "Properties", landscape, OK and OK, the way a person chooses it.
void chooseLandscape(reports::PreviewWindow& preview) {
    op::whenShown([] {
        auto* setup = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(setup, nullptr) << "no print dialog";
        auto* properties = setup->findChild<QPushButton*>(QStringLiteral("properties"));
        ASSERT_NE(properties, nullptr);
        op::whenShown([setup] {
            QWidget* page = QApplication::activeModalWidget();
            ASSERT_NE(page, nullptr);
            ASSERT_NE(page, setup) << "no properties dialog";
            auto* landscape = page->findChild<QRadioButton*>(QStringLiteral("landscape"));
            ASSERT_NE(landscape, nullptr) << "no landscape choice";
            // Tabbed to and chosen with the space bar: a click on the second modal window
            // of the offscreen platform does not reach its buttons.
            landscape->setFocus(Qt::TabFocusReason);
            op::press(Qt::Key_Space);
            EXPECT_TRUE(landscape->isChecked());
            ASSERT_NE(okOf(*page), nullptr);
            op::click(*okOf(*page));
        });
        op::click(*properties);
        ASSERT_NE(okOf(*setup), nullptr);
        op::click(*okOf(*setup));
    });
    op::clickCommand(preview, QStringLiteral("Printer setup"));
    preview.activateWindow();
    QApplication::processEvents();
}

class PrintQueue : public MainWindowFixture {
protected:
    // Opens a sheet the program's way, exports it as PDF and prints it with "Print" on the
    // default printer; gives the exported file. A sheet of the print choice dialog is asked
    // for inside the dialog "Tisk" opens.
    fs::path printSheet(const std::string& name, const std::function<void()>& click,
                        bool fromPrintChoice) {
        const fs::path exported = folder.path() / (name + ".pdf");
        const auto inPreview = [&] {
            op::inPreview(click, [&](reports::PreviewWindow& preview) {
                preview.exportTo(QString::fromStdString(exported.string()));
                op::clickCommand(preview, QStringLiteral("Print"));
                EXPECT_TRUE(preview.statusBar()->currentMessage().isEmpty())
                    << "a printer is there";
                // Without a window manager nobody gives the preview back the activation the
                // progress window took, and Esc would go nowhere.
                preview.activateWindow();
                QApplication::processEvents();
            });
        };
        if (fromPrintChoice) {
            op::whenShown(inPreview);
            op::click(*frmHlavni->btnTisk);
        } else {
            inPreview();
        }
        return exported;
    }
    // Compares each printed page with the exported one.
    void expectSamePages(const std::string& sheet, const fs::path& printedFile,
                         const std::vector<QImage>& exported) {
        SCOPED_TRACE(sheet);
        const std::vector<QImage> printed = rasterise(printedFile);
        ASSERT_EQ(printed.size(), exported.size());
        for (std::size_t i = 0; i < printed.size(); ++i) {
            QImage page = printed[i];
            if (page.size() == exported[i].size().transposed() &&
                page.size() != exported[i].size()) {
                // A page lying across may come back fed the other way: turn it back, the
                // way that matches.
                const QImage left = page.transformed(QTransform().rotate(-90));
                const QImage right = page.transformed(QTransform().rotate(90));
                page = inkDifference(left, exported[i]) < inkDifference(right, exported[i]) ? left
                                                                                            : right;
            }
            ASSERT_EQ(page.size(), exported[i].size()) << "page " << i + 1;
            EXPECT_GT(inkOf(exported[i]), 500) << "page " << i + 1;
            const double difference = inkDifference(page, exported[i]);
            EXPECT_LT(difference, kTolerance) << "page " << i + 1;
            // The measure itself sees a sheet printed a millimetre and a half to the right.
            QImage shifted(exported[i].size(), QImage::Format_Grayscale8);
            shifted.fill(255);
            for (int y = 0; y < shifted.height(); ++y)
                std::memcpy(shifted.scanLine(y) + 3, exported[i].constScanLine(y),
                            static_cast<std::size_t>(shifted.width() - 3));
            EXPECT_GT(inkDifference(shifted, exported[i]), 10 * kTolerance) << "page " << i + 1;
            std::printf("%s page %zu: %.4f %% of pixels ink on one side only\n", sheet.c_str(),
                        i + 1, difference * 100);
        }
    }
};

TEST_F(PrintQueue, EachSheetPrintedOnACupsPdfQueueLooksAsItsExportedPdf) {
    PrivateCups cups;
    if (const std::string reason = cups.start(); !reason.empty()) {
        GTEST_SKIP() << "CUPS cannot be used here: " << reason;
    }
    startProgram();
    execute(folder.database(),
            "UPDATE DATAZLT SET DRUZSTVO = 'Tým ' || CISLO, BOD1 = 31 - CISLO, "
            "DISCIPLINA1 = CISLO || ',5 s', PENALIZACE = MOD(CISLO, 3), PORADI = CISLO, "
            "CELKEM = 200 + CISLO");
    rows().refresh();
    execute(folder.database(), "DELETE FROM DATAZLTF");
    for (int rank = 1; rank <= 12; ++rank) {
        execute(folder.database(),
                "INSERT INTO DATAZLTF (DRUZSTVO, FPOCATEK, FPORADI, FCELKEM, "
                "FDISCIPLINA1, FBOD1) VALUES ('Finalista " +
                    std::to_string(rank) + "', " + std::to_string(rank) + ", " +
                    std::to_string(rank) + ", " + std::to_string(100 + rank) + ", 'F " +
                    std::to_string(rank) + "', " + std::to_string(rank) + ")");
    }
    frmFinale->IBOQueryF.refresh();
    // Confirmed details, so that every sheet has its headings and its stamp.
    op::whenShown([] {
        op::click(*frmNastaveni->EditCislo);
        op::type(QStringLiteral("50"));
        op::click(*frmNastaveni->CheckBox1);
        op::click(*frmNastaveni->rbLetni);
        op::click(*frmNastaveni->btnPotvrdit);
    });
    op::click(*frmHlavni->btnNastaveni);
    ASSERT_TRUE(dialogs.requests.empty());

    struct Sheet {
        std::string name;
        std::function<void()> click;
        bool fromPrintChoice;
    };
    const std::vector<Sheet> sheets = {
        {"discipline", [] { op::click(*frmVolbaTisku->btnND[0]); }, true},
        {"standings", [] { op::click(*frmVolbaTisku->btnVD); }, true},
        {"final-discipline", [] { op::click(*frmFinale->btnTisk1); }, false},
        {"finals", [] { op::click(*frmFinale->btnTiskCelkem); }, false},
        {"overall",
         [this] {
             dialogs.answer(DialogButton::Yes);
             op::click(*frmFinale->btn);
         },
         false},
    };
    for (const Sheet& sheet : sheets) {
        if (sheet.name == "final-discipline")
            op::click(*frmHlavni->btnFinale);
        const fs::path exported = printSheet(sheet.name, sheet.click, sheet.fromPrintChoice);
        const std::vector<fs::path> printed = cups.newlyPrinted();
        ASSERT_EQ(printed.size(), 1u) << sheet.name << "\n" << cups.log();
        expectSamePages(sheet.name, printed[0], rasterise(exported));
    }

    // Landscape chosen in "Printer setup", and a range stored when the sheet had more
    // pages: the print lies across and holds the last page, not an empty job.
    op::click(*frmFinale->btnZpet);
    op::whenShown([] {
        op::inPreview([] { op::click(*frmVolbaTisku->btnND[0]); },
                      [](reports::PreviewWindow& preview) {
                          chooseLandscape(preview);
                          EXPECT_GT(preview.pages()[0].width, preview.pages()[0].height)
                              << "the preview shows the sheet as it will print";
                      });
    });
    op::click(*frmHlavni->btnTisk);
    ASSERT_TRUE(frmTiskDisc->QuickRep1.page.landscape);
    frmTiskDisc->QuickRep1.printer.firstPage = 7;
    frmTiskDisc->QuickRep1.printer.lastPage = 9;
    const fs::path exported = printSheet(
        "turned", [] { op::click(*frmVolbaTisku->btnND[0]); }, true);
    const std::vector<fs::path> printed = cups.newlyPrinted();
    ASSERT_EQ(printed.size(), 1u) << cups.log();
    const std::vector<QImage> all = rasterise(exported);
    ASSERT_GE(all.size(), 2u) << "30 rows do not fit across one page";
    ASSERT_LT(all.size(), 7u);
    EXPECT_GT(all.back().width(), all.back().height());
    expectSamePages("turned, pages 7 to 9 of " + std::to_string(all.size()), printed[0],
                    {all.back()});
}

}  // namespace
}  // namespace zlt::test
