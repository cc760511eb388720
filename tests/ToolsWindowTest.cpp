#include <gmock/gmock.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "competition/EventFiles.h"
#include "finals/Finale.h"
#include "office/Nastroje.h"
#include "settings/Nastaveni.h"
#include "tests/support/BrokenCopies.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/Operator.h"
#include "tests/support/RealBoxes.h"

namespace zlt::test {
namespace {

namespace fs = std::filesystem;
using platform::DialogButton;
using ::testing::HasSubstr;

constexpr int CISLO = 0, BOD1 = 4;

class ToolsWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        startProgram();
    }

    void typePlacing(int row, const QString& placing) {
        selectCell(row, BOD1);
        type(placing);
        press(Qt::Key_Return);
    }
    db::FieldValue storedPlacing(int row) { return stored()[static_cast<std::size_t>(row)][BOD1]; }

    void openTools() {
        op::click(*frmHlavni->btnNastroje);
        ASSERT_TRUE(frmNastroje->isVisible());
    }
    void backUpNow() { op::click(*frmNastroje->btnZalohovat); }
    void resetFromSettings() {
        inSettings([&] {
            dialogs.answer(DialogButton::Yes);
            op::click(*frmNastaveni->btnDelete);
        });
    }
    // Selects the copy in that row of the list, newest first, and restores it.
    void restore(int copy) {
        QTableWidget& list = *frmNastroje->gridZalohy;
        ASSERT_LT(copy, list.rowCount());
        const QRect cell = list.visualRect(list.model()->index(copy, 0));
        op::clickAt(*frmNastroje, list.viewport()->mapTo(frmNastroje, cell.center()));
        ASSERT_EQ(list.currentRow(), copy);
        op::click(*frmNastroje->btnObnovit);
    }
    // The row of the copy in the list.
    int listed(const fs::path& copy) {
        for (int row = 0; row < frmNastroje->gridZalohy->rowCount(); ++row) {
            if (frmNastroje->gridZalohy->item(row, 0)->text() ==
                QStringLiteral("10. 12. 2026 0:00:00")) {
                return row;
            }
        }
        ADD_FAILURE() << copy << " is not listed";
        return 0;
    }
    // The program's boxes shown on the screen and answered inside their exec().
    void answerRealBoxes(RealBoxes::Answer answer) {
        realBoxes_ = std::make_unique<RealBoxes>(shownBoxes, std::move(answer));
    }
    void TearDown() override {
        realBoxes_.reset();
        dialogs.install();
        MainWindowFixture::TearDown();
    }

    std::vector<QString> shownBoxes;

private:
    std::unique_ptr<RealBoxes> realBoxes_;
};

void pressButton(QMessageBox& box, QMessageBox::StandardButton button) {
    RealBoxes::press(box, button);
}

TEST_F(ToolsWindow, ItsButtonComesAfterEveryCommandAndOpensBesideTheMainWindow) {
    EXPECT_EQ(frmHlavni->btnNastaveni->nextInFocusChain(), frmHlavni->btnNastroje);
    EXPECT_EQ(frmHlavni->btnNastroje->text(), QStringLiteral("Nástroje"));
    EXPECT_EQ(frmHlavni->btnNastroje->toolTip(), QStringLiteral("Zálohy, pořadí, import a export"));
    EXPECT_GT(frmHlavni->btnNastroje->y(), frmHlavni->Bevel1->geometry().bottom());
    openTools();
    EXPECT_FALSE(frmNastroje->isModal());
    EXPECT_TRUE(frmHlavni->isEnabled()) << "the operator goes on typing while it is open";
    EXPECT_THAT(frmNastroje->lblZalohy->text().toStdString(), HasSubstr("Poslední záloha"))
        << "a copy is taken when the database opens";
}

TEST_F(ToolsWindow, RestoringTheCopyFromBeforeAResetBringsThePlacingBack) {
    typePlacing(0, QStringLiteral("3"));
    openTools();
    backUpNow();
    resetFromSettings();
    ASSERT_TRUE(db::isNull(storedPlacing(0)));

    frmHlavni->activateWindow();
    openTools();
    dialogs.requests.clear();
    dialogs.answer(DialogButton::Yes);
    // Changes in the copy's own second are offered again; the reset never is.
    dialogs.answer(DialogButton::No);
    restore(0);
    for (const auto& request : dialogs.requests) {
        EXPECT_THAT(request.text.toStdString(), ::testing::Not(HasSubstr("vymazání")));
    }
    EXPECT_EQ(storedPlacing(0), db::FieldValue(3));
    EXPECT_EQ(rows().value(0, BOD1), db::FieldValue(3)) << "the grid shows the restored rows";
    EXPECT_EQ(rows().recordCount(), 30);

    // The grid goes on working on the restored database.
    frmHlavni->activateWindow();
    typePlacing(1, QStringLiteral("7"));
    EXPECT_EQ(storedPlacing(1), db::FieldValue(7));
}

TEST_F(ToolsWindow, ChangesAfterTheCopyAreShownAndMadeAgainOnYes) {
    typePlacing(0, QStringLiteral("3"));
    openTools();
    backUpNow();
    frmHlavni->activateWindow();
    typePlacing(0, QStringLiteral("5"));
    typePlacing(2, QStringLiteral("8"));
    const auto before = stored();

    openTools();
    dialogs.requests.clear();
    dialogs.answer(DialogButton::Yes);  // restore
    dialogs.answer(DialogButton::Yes);  // make the later changes again
    restore(0);
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_THAT(dialogs.requests[1].text.toStdString(), HasSubstr("BOD1: 3 → 5"));
    EXPECT_EQ(stored(), before);
}

TEST_F(ToolsWindow, ARestoreCanItselfBeUndone) {
    typePlacing(0, QStringLiteral("3"));
    openTools();
    backUpNow();
    frmHlavni->activateWindow();
    typePlacing(0, QStringLiteral("5"));
    const auto before = stored();

    openTools();
    dialogs.answer(DialogButton::Yes);
    dialogs.answer(DialogButton::No);
    restore(0);
    EXPECT_EQ(storedPlacing(0), db::FieldValue(3)) << "the later change was not made again";

    // The newest copy is the database as it was just before the restore.
    dialogs.answer(DialogButton::Yes);
    dialogs.answer(DialogButton::No);
    restore(0);
    EXPECT_EQ(stored(), before);
}

TEST_F(ToolsWindow, ACopyThatFailsIsToldInBothWindowsAndTheWorkGoesOn) {
    openTools();
    dialogs.answerInputs(QString::fromStdString((folder.path() / "odpojený disk").string()));
    op::click(*frmNastroje->btnDruhaSlozka);
    EXPECT_THAT(frmNastroje->lblZalohy->text().toStdString(), HasSubstr("odpojený disk"));
    EXPECT_TRUE(frmHlavni->lblZaloha->isVisibleTo(frmHlavni));
    EXPECT_THAT(frmHlavni->lblZaloha->toolTip().toStdString(), HasSubstr("odpojený disk"));
    const auto copies =
        std::distance(fs::directory_iterator(folder.path() / "zalohy"), fs::directory_iterator());

    frmHlavni->activateWindow();
    dialogs.requests.clear();
    typePlacing(0, QStringLiteral("4"));
    EXPECT_EQ(storedPlacing(0), db::FieldValue(4));
    EXPECT_TRUE(dialogs.requests.empty()) << "no box after a write";
    EXPECT_GE(
        std::distance(fs::directory_iterator(folder.path() / "zalohy"), fs::directory_iterator()),
        copies)
        << "the event folder's own copies go on";
}

TEST_F(ToolsWindow, ASecondFolderThatIsMissingOrMayNotBeWrittenIsToldWhichItIs) {
    openTools();
    const auto problemWith = [&](const fs::path& second) {
        dialogs.answerInputs(QString::fromStdString(second.string()));
        op::click(*frmNastroje->btnDruhaSlozka);
        return frmNastroje->lblZalohy->text().toStdString();
    };
    EXPECT_THAT(problemWith(folder.path() / "chybí"),
                HasSubstr("chybí nelze uložit: složka neexistuje."));
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into a folder whatever its mode";
    }
    const fs::path locked = folder.path() / "zamčená";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THAT(problemWith(locked), HasSubstr("zamčená nelze uložit: nemáte právo zápisu."));
}

// A desk's screen, wide enough for both windows side by side, where this process makes its
// application; the offscreen platform's own screen is narrower than the main window.
class ToolsWindowOnAWideScreen : public ToolsWindow {
protected:
    void SetUp() override {
        const fs::path screens =
            fs::temp_directory_path() / ("zlt-wide-screen-" + std::to_string(getpid()) + ".json");
        const char* platform = getenv("QT_QPA_PLATFORM");
        if (QCoreApplication::instance() == nullptr &&
            (platform == nullptr || std::string_view(platform) == "offscreen")) {
            std::ofstream(screens) << R"({"screens": [{"name": "desk", "x": 0, "y": 0, )"
                                      R"("width": 2560, "height": 1440, "logicalDpi": 96}]})";
            setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens.string()).c_str(), 1);
        }
        ToolsWindow::SetUp();
        fs::remove(screens);
    }
};

TEST_F(ToolsWindowOnAWideScreen, OpensWholeOnTheScreenAndBesideTheMainGridWhereThereIsRoom) {
    openTools();
    const QRect screen = frmHlavni->screen()->availableGeometry();
    const QRect tools = frmNastroje->frameGeometry();
    EXPECT_TRUE(screen.contains(tools));
    const QRect main = frmHlavni->frameGeometry();
    if (std::max(screen.right() - main.right(), main.left() - screen.left()) < tools.width()) {
        GTEST_SKIP() << "the screen, " << screen.width() << " px, has no room beside the main "
                     << "window; the application was made before this test";
    }
    const QRect grid(frmHlavni->DBGrid1->mapToGlobal(QPoint(0, 0)), frmHlavni->DBGrid1->size());
    EXPECT_FALSE(tools.intersects(grid));
    EXPECT_EQ(tools.top(), main.top());
}

TEST_F(ToolsWindow, ABrokenCopyIsMarkedAndItsRestoreIsRefusedAtOnceWithTheGridsUnchanged) {
    typePlacing(0, QStringLiteral("3"));
    openTools();
    backUpNow();
    const fs::path broken = folder.path() / "zalohy" / test::kBrokenCopyName;
    const test::BrokenCopyKind& cut = test::brokenCopyKinds()[2];
    cut.make(competition().backups().copies().front().file, broken);
    backUpNow();  // the list is read again
    const int row = listed(broken);
    EXPECT_EQ(frmNastroje->gridZalohy->item(row, 1)->text(), QStringLiteral("nečitelná"));
    EXPECT_THAT(frmNastroje->gridZalohy->item(row, 2)->text().toStdString(), HasSubstr(cut.reason));
    const std::string database = test::settledChecksum(folder.database());
    const auto journal = competition().journal().entries().size();

    answerRealBoxes([](QMessageBox& box, std::size_t) { pressButton(box, QMessageBox::Ok); });
    restore(row);
    ASSERT_EQ(shownBoxes.size(), 1u) << "refused without asking first";
    EXPECT_EQ(shownBoxes[0].toStdString(), "Záloha " + std::string(test::kBrokenCopyName) +
                                               " je poškozená (" + cut.reason +
                                               ", chybí mu konec); databáze zůstala beze změny.");
    EXPECT_EQ(test::settledChecksum(folder.database()), database);
    EXPECT_EQ(competition().journal().entries().size(), journal);
    EXPECT_EQ(rows().recordCount(), 30);
    EXPECT_EQ(grid().model()->rowCount(), 30) << "the grid keeps its rows";
    EXPECT_EQ(rows().value(0, BOD1), db::FieldValue(3));
    EXPECT_EQ(frmFinale->IBOQueryF.recordCount(), 12);
}

TEST_F(ToolsWindow, ACopyBrokenAfterItWasListedIsRefusedOnceTheOperatorSaidYes) {
    typePlacing(0, QStringLiteral("3"));
    openTools();
    backUpNow();
    const fs::path newest = competition().backups().copies().front().file;
    test::brokenCopyKinds()[0].make(newest, newest);
    const auto before = stored();

    answerRealBoxes([](QMessageBox& box, std::size_t shown) {
        pressButton(box, shown == 0 ? QMessageBox::Yes : QMessageBox::Ok);
    });
    restore(0);
    ASSERT_EQ(shownBoxes.size(), 2u);
    EXPECT_THAT(shownBoxes[0].toStdString(), HasSubstr("Vrátit databázi do stavu zálohy"));
    EXPECT_THAT(shownBoxes[1].toStdString(), HasSubstr("je poškozená (soubor není databáze)"));
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(rows().value(0, BOD1), db::FieldValue(3));
}

TEST_F(ToolsWindow, ADatabaseServerChosenHereIsKeptForTheNextStart) {
    openTools();
    dialogs.answerInputs(QStringLiteral("server/3051:/data/zlt.fdb"));
    op::click(*frmNastroje->btnDatabaze);
    EXPECT_EQ(competition::keptDatabaseLocation(folder.path()), "server/3051:/data/zlt.fdb");
    EXPECT_THAT(frmNastroje->lblDatabaze->text().toStdString(),
                HasSubstr("Od příštího spuštění: server/3051:/data/zlt.fdb"));
    EXPECT_EQ(competition().databaseLocation(), folder.database().string())
        << "the database in use is not switched under the operator's hands";

    dialogs.answerInputs(QString());  // cancelled
    op::click(*frmNastroje->btnDatabaze);
    EXPECT_EQ(competition::keptDatabaseLocation(folder.path()), "server/3051:/data/zlt.fdb");
    dialogs.answerInputs(QStringLiteral(""));
    op::click(*frmNastroje->btnDatabaze);
    EXPECT_EQ(competition::keptDatabaseLocation(folder.path()), "") << "back to the folder's file";
}

}  // namespace
}  // namespace zlt::test
