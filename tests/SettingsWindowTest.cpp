#include <gmock/gmock.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <cstdio>
#include <functional>

#include "competition/EventFiles.h"
#include "finals/Finale.h"
#include "pictures/Jpeg.h"
#include "reports/CelkovyTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/ZLTTisk.h"
#include "reports/sheets/SeasonStamps.h"
#include "settings/Nastaveni.h"
#include "tests/support/BigJpeg.h"
#include "tests/support/Files.h"
#include "tests/support/MainWindowFixture.h"
#include "tools/EventFolder.h"

namespace zlt::test {
namespace {

namespace fs = std::filesystem;
using platform::DialogButton;
using ::testing::HasSubstr;

const std::string kConfirmedFile =
    "50\r\nLhota 1.5.\r\nB\xECh\r\nd2\r\nd3\r\nd4\r\nd5\r\nd6\r\nf1\r\nf2\r\nf3\r\n"
    "Penalizace ANO\r\nLetni hry\r\n";

QImage shown(const QLabel& picture) {
    return picture.pixmap().toImage().convertToFormat(QImage::Format_RGB888);
}

QImage pictureFile(const fs::path& file) {
    return pictures::loadJpegFile(file).convertToFormat(QImage::Format_RGB888);
}

std::vector<reports::ReportHolder*> sheets() {
    return {frmTiskDisc, frmTiskFDisc, frmZLTFinaleTisk, frmZLTTisk, frmCelkovyTisk};
}

class SettingsWindow : public MainWindowFixture {
protected:
    void writeSettings(const std::string& bytes) {
        std::ofstream(folder.path() / "Nastaveni.txt", std::ios::binary) << bytes;
    }
    std::string settingsBytes() { return fileBytes(folder.path() / "Nastaveni.txt"); }
    // Replaces the text of a box by typing.
    static void retype(QLineEdit& box, const QString& text) {
        op::click(box);
        op::press(Qt::Key_A, Qt::ControlModifier);
        op::press(Qt::Key_Delete);
        op::type(text);
    }
    static void fillIn(bool summer, bool penalties) {
        const char* const texts[11] = {"50", "Lhota 1.5.", "Běh", "d2", "d3", "d4",
                                       "d5", "d6",         "f1",  "f2", "f3"};
        const auto boxes = frmNastaveni->boxes();
        for (int i = 0; i < 11; ++i) {
            retype(*boxes[i], QString::fromUtf8(texts[i]));
        }
        if (frmNastaveni->CheckBox1->isChecked() != penalties) {
            op::click(*frmNastaveni->CheckBox1);
        }
        op::click(*(summer ? frmNastaveni->rbLetni : frmNastaveni->rbZimni));
    }
    std::vector<QString> messages() {
        std::vector<QString> texts;
        for (const auto& request : dialogs.requests)
            texts.push_back(request.text);
        return texts;
    }
};

TEST_F(SettingsWindow, LoadsCrLfLfOnlyAndShortFilesAlike) {
    for (const std::string& bytes : {kConfirmedFile, std::string("50\nLhota 1.5.\nB\xECh\nd2\nd3\n"
                                                                 "d4\nd5\nd6\nf1\nf2\nf3\n"
                                                                 "Penalizace ANO\nLetni hry")}) {
        SCOPED_TRACE(bytes == kConfirmedFile ? "the file as written" : "LF line ends");
        writeSettings(bytes);
        startProgram();
        EXPECT_EQ(frmNastaveni->EditCislo->text(), QStringLiteral("50"));
        EXPECT_EQ(frmNastaveni->Edit6D->text(), QStringLiteral("d6"));
        EXPECT_EQ(frmNastaveni->EditND[0]->text(), QStringLiteral("Běh"));
        EXPECT_EQ(frmNastaveni->EditNFD[2]->text(), QStringLiteral("f3"));
        EXPECT_TRUE(frmNastaveni->CheckBox1->isChecked());
        EXPECT_TRUE(frmNastaveni->rbLetni->isChecked());
        EXPECT_EQ(shown(*frmHlavni->Image1), pictureFile(competition::mainWindowPicture(true)));
        // Loading applies nothing else.
        EXPECT_FALSE(detailsConfirmed());
        EXPECT_FALSE(frmHlavni->lblObec->isVisibleTo(frmHlavni));
        EXPECT_TRUE(frmZLTTisk->stamp().isNull());
        app::destroyWindows();
    }

    writeSettings("50\r\nLhota\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n");
    startProgram();
    EXPECT_EQ(frmNastaveni->EditNFD[2]->text(), QStringLiteral("10"));
    EXPECT_FALSE(frmNastaveni->CheckBox1->isChecked());
    EXPECT_TRUE(frmNastaveni->rbZimni->isChecked());
    EXPECT_FALSE(frmNastaveni->rbLetni->isChecked());
    EXPECT_EQ(shown(*frmHlavni->Image1), pictureFile(competition::mainWindowPicture(false)));
    EXPECT_TRUE(dialogs.requests.empty());
}

TEST_F(SettingsWindow, MissingFilesAtStartUpAreReportedAndStartUpGoesOn) {
    fs::remove(folder.path() / "Nastaveni.txt");
    startProgram();
    ASSERT_EQ(messages(), std::vector<QString>{QStringLiteral("Cannot open file Nastaveni.txt.")});
    EXPECT_TRUE(frmNastaveni->EditCislo->text().isEmpty());
    EXPECT_FALSE(frmNastaveni->rbLetni->isChecked());
    EXPECT_FALSE(frmNastaveni->rbZimni->isChecked());
    EXPECT_TRUE(frmHlavni->isVisible());
    const QImage design = shown(*frmHlavni->Image1);
    app::destroyWindows();

    // A winter file with its picture missing: the boxes are filled all the same.
    writeSettings(kConfirmedFile.substr(0, kConfirmedFile.find("Letni")) + "Zimni hry\r\n");
    fs::remove(folder.path() / competition::mainWindowPicture(false));
    dialogs.requests.clear();
    startProgram();
    EXPECT_EQ(messages(),
              std::vector<QString>{QStringLiteral("Cannot open file razítko - zimaB.jpg.")});
    EXPECT_EQ(frmNastaveni->EditObec->text(), QStringLiteral("Lhota 1.5."));
    EXPECT_EQ(shown(*frmHlavni->Image1), design);
}

TEST_F(SettingsWindow, ConfirmingAppliesEverythingAndWritesThirteenCrLfLines) {
    startProgram();
    inSettings([] {
        fillIn(/*summer=*/true, /*penalties=*/true);
        op::click(*frmNastaveni->btnPotvrdit);
    });

    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(settingsBytes(), kConfirmedFile);
    EXPECT_FALSE(frmNastaveni->isVisible());
    EXPECT_TRUE(detailsConfirmed());
    EXPECT_EQ(frmHlavni->windowTitle(), QStringLiteral("50. Zeltoria"));
    EXPECT_EQ(frmHlavni->Label1->text(), QStringLiteral("50. ZELTORIA"));
    EXPECT_TRUE(frmHlavni->lblObec->isVisible());
    EXPECT_EQ(frmHlavni->lblObec->text(), QStringLiteral("Lhota 1.5."));
    EXPECT_EQ(frmFinale->lblFobec->text(), QStringLiteral("Lhota 1.5."));
    EXPECT_EQ(frmTiskDisc->penaltyHeader(), QStringLiteral("Penalizace"));
    EXPECT_EQ(frmTiskDisc->penaltyField(), "PENALIZACE");
    EXPECT_EQ(shown(*frmHlavni->Image1), pictureFile(competition::mainWindowPicture(true)));
    for (auto* sheet : sheets()) {
        SCOPED_TRACE(sheet->metaObject()->className());
        EXPECT_EQ(sheet->stamp().convertToFormat(QImage::Format_RGB888),
                  pictureFile(competition::reportStamp(true)));
    }

    // Again in winter without penalties, with an empty box and neither season chosen.
    inSettings([] {
        retype(*frmNastaveni->Edit6D, {});
        op::click(*frmNastaveni->CheckBox1);
        // Only a file can leave both seasons unchosen; the window offers no way to.
        frmNastaveni->rbLetni->setAutoExclusive(false);
        frmNastaveni->rbLetni->setChecked(false);
        op::click(*frmNastaveni->btnPotvrdit);
    });
    std::string expected = kConfirmedFile;
    expected.replace(expected.find("d6\r\n"), 4, "\r\n");
    expected.replace(expected.find("Penalizace ANO"), 14, "Penalizace NE");
    expected.replace(expected.find("Letni hry"), 9, "Zimni hry");
    EXPECT_EQ(settingsBytes(), expected);
    EXPECT_EQ(frmTiskDisc->penaltyHeader(), QString(11, QLatin1Char(' ')));
    EXPECT_EQ(frmTiskDisc->penaltyField(), " ");
    EXPECT_EQ(frmCelkovyTisk->stamp().convertToFormat(QImage::Format_RGB888),
              pictureFile(competition::reportStamp(false)));
}

TEST_F(SettingsWindow, AMissingOrBrokenPictureChangesNothing) {
    startProgram();
    const std::string before = settingsBytes();
    // Summer first, so that the winter attempt has headings, pictures and stamps to keep.
    inSettings([] {
        fillIn(true, false);
        op::click(*frmNastaveni->btnPotvrdit);
    });
    const std::string summer = settingsBytes();
    EXPECT_NE(summer, before);
    const QImage summerPicture = shown(*frmHlavni->Image1);
    // Each attempt: winter, a new edition number and place, and the penalty column.
    const auto confirmWinter = [] {
        retype(*frmNastaveni->EditCislo, QStringLiteral("51"));
        retype(*frmNastaveni->EditObec, QStringLiteral("Ves 2.5."));
        op::click(*frmNastaveni->CheckBox1);
        op::click(*frmNastaveni->rbZimni);
        op::click(*frmNastaveni->btnPotvrdit);
        EXPECT_TRUE(frmNastaveni->isVisible());
    };
    const auto expectSummerKept = [&](const char* attempt) {
        SCOPED_TRACE(attempt);
        EXPECT_EQ(settingsBytes(), summer);
        EXPECT_EQ(frmHlavni->Label1->text(), QStringLiteral("50. ZELTORIA"));
        EXPECT_EQ(frmHlavni->windowTitle(), QStringLiteral("50. Zeltoria"));
        EXPECT_EQ(frmHlavni->lblObec->text(), QStringLiteral("Lhota 1.5."));
        EXPECT_EQ(frmFinale->lblFobec->text(), QStringLiteral("Lhota 1.5."));
        EXPECT_EQ(frmTiskDisc->penaltyField(), " ");
        EXPECT_EQ(shown(*frmHlavni->Image1), summerPicture);
        for (auto* sheet : sheets()) {
            SCOPED_TRACE(sheet->metaObject()->className());
            SCOPED_TRACE(sheet->metaObject()->className());
            EXPECT_EQ(sheet->stamp().convertToFormat(QImage::Format_RGB888),
                      pictureFile(competition::reportStamp(true)));
        }
    };

    // The report stamp missing: the main window's winter picture loads, but is not shown.
    const fs::path winterStamp = folder.path() / competition::reportStamp(false);
    const std::string stamp = fileBytes(winterStamp);
    fs::remove(winterStamp);
    inSettings(confirmWinter);
    EXPECT_EQ(messages(),
              std::vector<QString>{QStringLiteral("Cannot open file razítko - zima.jpg.")});
    expectSummerKept("stamp missing");

    // A truncated picture is refused whole, never half drawn.
    std::ofstream(winterStamp, std::ios::binary) << stamp.substr(0, stamp.size() / 2);
    dialogs.requests.clear();
    inSettings(confirmWinter);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_THAT(dialogs.requests[0].text.toStdString(),
                HasSubstr("Cannot read the picture razítko - zima.jpg"));
    EXPECT_EQ(dialogs.requests[0].icon, platform::DialogIcon::Stop);
    expectSummerKept("stamp truncated");

    // The main window's picture missing, the stamp whole again.
    std::ofstream(winterStamp, std::ios::binary) << stamp;
    fs::remove(folder.path() / competition::mainWindowPicture(false));
    dialogs.requests.clear();
    inSettings(confirmWinter);
    EXPECT_EQ(messages(),
              std::vector<QString>{QStringLiteral("Cannot open file razítko - zimaB.jpg.")});
    expectSummerKept("main window picture missing");
    EXPECT_TRUE(detailsConfirmed()) << "as the summer confirmation left it";
}

TEST_F(SettingsWindow, TextTheFileCannotHoldIsRefusedBeforeAnythingChanges) {
    startProgram();
    const std::string before = settingsBytes();
    inSettings([] {
        retype(*frmNastaveni->EditND[1], QStringLiteral("Бег"));
        op::click(*frmNastaveni->btnPotvrdit);
        EXPECT_TRUE(frmNastaveni->isVisible());
    });
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_THAT(dialogs.requests[0].text.toStdString(), HasSubstr("Název 2.disciplíny"));
    EXPECT_THAT(dialogs.requests[0].text.toStdString(), HasSubstr("Windows-1250"));
    EXPECT_FALSE(detailsConfirmed());
    EXPECT_EQ(frmHlavni->Label1->text(), QStringLiteral(" ZELTORIA"));
    EXPECT_EQ(settingsBytes(), before);
}

// Nothing of the confirmation shows before the file is known to be written.
void expectNothingConfirmed() {
    EXPECT_FALSE(detailsConfirmed());
    EXPECT_EQ(frmHlavni->Label1->text(), QStringLiteral(" ZELTORIA"));
    EXPECT_FALSE(frmHlavni->lblObec->isVisible());
    EXPECT_NE(frmFinale->lblFobec->text(), QStringLiteral("Lhota 1.5."));
    EXPECT_NE(frmTiskDisc->penaltyField(), "PENALIZACE");
    for (auto* sheet : sheets()) {
        SCOPED_TRACE(sheet->metaObject()->className());
        EXPECT_TRUE(sheet->stamp().isNull());
    }
}

// Temporary files left beside the settings file.
std::vector<std::string> leftovers(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().find(".tmp") != std::string::npos)
            names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST_F(SettingsWindow, AnUnwritableFolderKeepsTheOldFileAndTheWindowsAsTheyWere) {
    startProgram();
    const std::string before = settingsBytes();
    const QImage picture = shown(*frmHlavni->Image1);
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const bool writable = access(folder.path().c_str(), W_OK) == 0;
    if (!writable) {
        inSettings([] {
            fillIn(true, true);
            op::click(*frmNastaveni->btnPotvrdit);
            EXPECT_TRUE(frmNastaveni->isVisible());
        });
    }
    fs::permissions(folder.path(), fs::perms::owner_all);
    if (writable) {
        GTEST_SKIP()
            << "this user writes into read-only folders (root); CI runs it as another user";
    }
    EXPECT_EQ(messages(),
              std::vector<QString>{QStringLiteral("Cannot create file Nastaveni.txt.")});
    EXPECT_EQ(settingsBytes(), before);
    expectNothingConfirmed();
    EXPECT_EQ(shown(*frmHlavni->Image1), picture);
}

// Any user, root too, can meet a settings file that cannot be replaced: a folder of its name.
TEST_F(SettingsWindow, ASettingsFileThatCannotBeReplacedChangesNothingAndLeavesNoTemporaryFile) {
    startProgram();
    const QImage picture = shown(*frmHlavni->Image1);
    fs::remove(folder.path() / "Nastaveni.txt");
    fs::create_directories(folder.path() / "Nastaveni.txt" / "obsah");
    inSettings([] {
        fillIn(true, true);
        op::click(*frmNastaveni->btnPotvrdit);
        EXPECT_TRUE(frmNastaveni->isVisible());
    });
    EXPECT_EQ(messages(),
              std::vector<QString>{QStringLiteral("Cannot create file Nastaveni.txt.")});
    expectNothingConfirmed();
    EXPECT_EQ(shown(*frmHlavni->Image1), picture);
    EXPECT_TRUE(leftovers(folder.path()).empty());

    // Once the name is free again the same confirmation goes through.
    fs::remove_all(folder.path() / "Nastaveni.txt");
    dialogs.requests.clear();
    inSettings([] { op::click(*frmNastaveni->btnPotvrdit); });
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(settingsBytes(), kConfirmedFile);
    EXPECT_TRUE(detailsConfirmed());
    EXPECT_TRUE(leftovers(folder.path()).empty());
}

// A 10000 x 10000 stamp was decoded whole once per sheet, 1.5 GB. Now it is read once and
// only the corner the stamp boxes show is kept, in one picture the five sheets share.
TEST_F(SettingsWindow, AHugeStampIsReadOnceSharedAndCutToWhatItsBoxShows) {
    const fs::path stampFile = folder.path() / competition::reportStamp(true);
    writeBigJpeg(stampFile, 10000, 10000);
    startProgram();
    const std::size_t peakBefore = peakMemory();
    inSettings([] {
        fillIn(true, false);
        op::click(*frmNastaveni->btnPotvrdit);
    });
    const std::size_t growth = peakMemory() - peakBefore;
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_TRUE(detailsConfirmed());
    const QImage& stamp = frmTiskDisc->stamp();
    EXPECT_EQ(stamp.size(), reports::stampShownPixels());
    EXPECT_LE(stamp.width(), 240);
    EXPECT_LE(stamp.height(), 140);
    for (auto* sheet : sheets()) {
        SCOPED_TRACE(sheet->metaObject()->className());
        EXPECT_EQ(sheet->stamp().constBits(), stamp.constBits()) << "one shared picture";
    }
    // Whole, it would be 300 MB a copy.
    EXPECT_LT(growth, std::size_t{64} << 20) << "peak memory grew by " << (growth >> 20) << " MB";
    std::printf("A 10000 x 10000 stamp confirmed: peak memory grew by %zu MB\n", growth >> 20);
}

TEST_F(SettingsWindow, NezobrazitClearsAndUnconfirmsStornoOnlyCloses) {
    startProgram();
    inSettings([] {
        fillIn(true, true);
        op::click(*frmNastaveni->btnPotvrdit);
    });
    const std::string saved = settingsBytes();

    inSettings([] {
        retype(*frmNastaveni->EditND[0], QStringLiteral("Skok"));
        op::click(*frmNastaveni->Button2);
    });
    EXPECT_EQ(frmNastaveni->EditND[0]->text(), QStringLiteral("Skok")) << "kept for printing";
    EXPECT_EQ(settingsBytes(), saved);
    EXPECT_EQ(frmHlavni->Label1->text(), QStringLiteral("50. ZELTORIA"));

    inSettings([] { op::click(*frmNastaveni->btnNeuvadet); });
    for (const QLineEdit* box : frmNastaveni->boxes())
        EXPECT_TRUE(box->text().isEmpty());
    EXPECT_FALSE(detailsConfirmed());
    EXPECT_FALSE(frmHlavni->lblObec->isVisible());
    EXPECT_EQ(frmHlavni->Label1->text(), QStringLiteral("ZELTORIA"));
    EXPECT_EQ(frmHlavni->windowTitle(), QStringLiteral("Zeltoria"));
    EXPECT_EQ(frmFinale->lblFobec->text(), QStringLiteral("Lhota 1.5."));
    EXPECT_FALSE(frmZLTTisk->stamp().isNull());
    EXPECT_EQ(frmTiskDisc->penaltyField(), "PENALIZACE");
    EXPECT_EQ(settingsBytes(), saved);

    app::destroyWindows();
    startProgram();
    EXPECT_EQ(frmNastaveni->EditND[0]->text(), QStringLiteral("Běh"));
}

TEST_F(SettingsWindow, ActivatingFocusesTheEditionNumberAndEscClosesNothing) {
    startProgram();
    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE("opening " + std::to_string(opening + 1));
        inSettings([] {
            EXPECT_TRUE(frmNastaveni->EditCislo->hasFocus());
            op::click(*frmNastaveni->EditObec);  // the next opening starts in the number again
            op::press(Qt::Key_Escape);
            op::press(Qt::Key_Return);
            EXPECT_TRUE(frmNastaveni->isVisible());
        });
    }
    EXPECT_FALSE(detailsConfirmed());
}

class DatabaseReset : public SettingsWindow {
protected:
    void SetUp() override {
        SettingsWindow::SetUp();
        startProgram();
        execute(folder.database(), "DELETE FROM DATAZLT WHERE CISLO > 20");
        execute(folder.database(), "UPDATE DATAZLT SET CISLO = CISLO + 100, DRUZSTVO = 'Lhota'");
        execute(folder.database(), "INSERT INTO DATAZLTF (DRUZSTVO, FBOD1) VALUES ('Ves', 3)");
        rows().refresh();
        frmFinale->IBOQueryF.refresh();
    }
    std::vector<std::vector<db::FieldValue>> storedFinals() {
        return storedRows(folder.database(), db::finalsFields(), "RDB$DB_KEY");
    }
    // Run inside the settings window: two resets, each checked in the database and grids.
    void resetTwiceAndCheck();
};

TEST_F(DatabaseReset, NoCancelAndEscChangeNothing) {
    const auto preliminary = stored();
    const auto finals = storedFinals();
    inSettings([&] {
        for (DialogButton answer : {DialogButton::No, DialogButton::Cancel}) {
            dialogs.answer(answer);
            op::click(*frmNastaveni->btnDelete);
        }
    });
    ASSERT_EQ(dialogs.requests.size(), 2u);
    const auto& question = dialogs.requests[0];
    EXPECT_EQ(question.caption, QStringLiteral("Vymazání databáze"));
    EXPECT_EQ(question.text,
              QStringLiteral("Opravdu chcete smazat data ze základní a finálové části?"));
    EXPECT_EQ(question.icon, platform::DialogIcon::Question);
    EXPECT_EQ(question.defaultButton, DialogButton::No);
    EXPECT_EQ(stored(), preliminary);
    EXPECT_EQ(storedFinals(), finals);
}

TEST_F(DatabaseReset, YesLeaves30NumberedAnd12BlankRowsShownAtOnce) {
    op::click(*frmHlavni->btnFinale);
    op::click(*frmFinale->rbPokracovani);
    op::click(*frmFinale->btnZpet);
    inSettings([&] { resetTwiceAndCheck(); });
    EXPECT_EQ(dialogs.requests.size(), 2u) << "two questions and no error";
    EXPECT_TRUE(frmFinale->rbPokracovani->isChecked());
    EXPECT_EQ(settingsBytes(), fileBytes(folder.path() / "Nastaveni.txt"));
}

void DatabaseReset::resetTwiceAndCheck() {
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE("reset " + std::to_string(run + 1));
        dialogs.answer(DialogButton::Yes);
        op::click(*frmNastaveni->btnDelete);
        const auto preliminary = stored();
        ASSERT_EQ(preliminary.size(), 30u);
        for (int i = 0; i < 30; ++i) {
            EXPECT_EQ(preliminary[i][0], db::FieldValue(i + 1));
            for (std::size_t column = 1; column < preliminary[i].size(); ++column) {
                EXPECT_TRUE(db::isNull(preliminary[i][column])) << i << " " << column;
            }
        }
        const auto finals = storedFinals();
        ASSERT_EQ(finals.size(), 12u);
        for (const auto& row : finals) {
            EXPECT_EQ(row[0], db::FieldValue(std::string(" ")));
            EXPECT_TRUE(db::isNull(row[3]));
        }
        EXPECT_EQ(grid().model()->rowCount(), 30);
        EXPECT_EQ(frmFinale->DBGridF->model()->rowCount(), 12);
        EXPECT_TRUE(frmNastaveni->isVisible());
    }
}

}  // namespace
}  // namespace zlt::test
