#include <gmock/gmock.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>

#include "finals/Finale.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/RealBoxes.h"
#include "tests/support/ServeProcess.h"

namespace zlt::test {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

constexpr int BOD1 = 4;

// The program started on a folder whose database it may not write: its start-up messages
// shown on the screen and answered there, as the operator answers them.
class HeldDatabase : public MainWindowFixture {
protected:
    void startAnsweringOk() {
        {
            RealBoxes boxes(shown, [](QMessageBox& box, std::size_t) {
                RealBoxes::press(box, QMessageBox::Ok);
            });
            startProgram();
        }
        dialogs.install();
    }

    // The window's red line and title say `line` and `suffix`, and its grid takes nothing:
    // a placing with Enter, Insert, Ctrl+Delete, F2 and a title click change nothing and
    // open no box (Enter on rows never opened would tell of a closed dataset, a sort would
    // attach again).
    void expectReadOnly(QWidget& window, platform::DBGrid& grid, const QLabel& redLine,
                        const std::string& line, const std::string& suffix) {
        SCOPED_TRACE(window.windowTitle().toStdString());
        EXPECT_TRUE(redLine.isVisible());
        EXPECT_THAT(redLine.text().toStdString(), HasSubstr(line));
        EXPECT_THAT(window.windowTitle().toStdString(), EndsWith(suffix));
        useGrid(grid);
        selectCell(0, BOD1);
        EXPECT_EQ(QApplication::focusWidget(), &grid);
        type(QStringLiteral("3"));
        for (const int key : {int(Qt::Key_Return), int(Qt::Key_Insert), int(Qt::Key_F2)}) {
            press(key);
        }
        press(Qt::Key_Delete, Qt::ControlModifier);
        clickTitle(BOD1);
        EXPECT_FALSE(grid.isEditing());
        EXPECT_EQ(grid.model()->rowCount(), 0);
        EXPECT_TRUE(dialogs.requests.empty()) << dialogs.requests.front().text.toStdString();
    }

    void expectBothWindowsReadOnly(const std::string& line, const std::string& suffix) {
        expectReadOnly(*frmHlavni, *frmHlavni->DBGrid1, *frmHlavni->lblJenCteni, line, suffix);
        EXPECT_FALSE(frmHlavni->DBNavigator1->button(platform::DBNavigator::Insert)->isEnabled());
        op::click(*frmHlavni->btnFinale);
        ASSERT_TRUE(frmFinale->isVisible());
        expectReadOnly(*frmFinale, *frmFinale->DBGridF, *frmFinale->lblJenCteniF, line, suffix);
        op::click(*frmFinale->btnZpet);
    }

    std::vector<QString> shown;
};

TEST_F(HeldDatabase, ASecondProgramOnTheFolderSaysWhoHoldsItAndTakesNoTyping) {
    const auto before = stored();
    ServeProcess other;
    other.start(QString::fromStdString(folder.path().string()), {QStringLiteral("--port=0")});
    ASSERT_NE(other.printedPort(), 0) << other.err.toStdString();

    startAnsweringOk();
    ASSERT_EQ(shown.size(), 2u) << "the main window's attach, then the finals window's";
    for (const QString& text : shown) {
        EXPECT_THAT(text.toStdString(), HasSubstr("má otevřenou jiný program"));
    }
    const std::string suffix = " – jen ke čtení (databáze je otevřená v jiném programu)";
    expectBothWindowsReadOnly("Databáze je otevřená v jiném programu (zlt-event, proces " +
                                  std::to_string(other.process.processId()) +
                                  ", na tomto počítači): tady nelze nic zapsat.",
                              suffix);
    // The caption the confirmed details give keeps what the run may not do.
    confirmDetails(false);
    EXPECT_EQ(frmHlavni->windowTitle().toStdString(), "50. Zeltoria" + suffix);

    other.process.terminate();
    ASSERT_EQ(other.finished(), 0) << other.err.toStdString();
    EXPECT_EQ(stored(), before);
}

// File permissions do not bind root; the stage of the checks that runs as another user
// runs this one.
TEST_F(HeldDatabase, AFileThisUserMayNotWriteNamesItsOwner) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "file permissions do not bind root";
    }
    const auto before = stored();
    ASSERT_EQ(chmod(folder.database().c_str(), 0444), 0);
    startAnsweringOk();
    ASSERT_EQ(shown.size(), 2u);
    const std::string owner = getpwuid(geteuid())->pw_name;
    for (const QString& text : shown) {
        EXPECT_THAT(text.toStdString(),
                    HasSubstr("nelze zapsat: soubor smí měnit jen jeho vlastník, uživatel „" +
                              owner + "“. (no permission"));
    }
    expectBothWindowsReadOnly(
        "Databázi " + folder.database().string() + " smí měnit jen uživatel „" + owner + "“",
        " – jen ke čtení (databázi smí měnit jen uživatel „" + owner + "“)");
    ASSERT_EQ(chmod(folder.database().c_str(), 0644), 0);
    EXPECT_EQ(stored(), before);
}

}  // namespace
}  // namespace zlt::test
