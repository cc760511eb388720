#pragma once

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <filesystem>
#include <functional>

#include "app/Hlavni.h"
#include "app/Startup.h"
#include "competition/Competition.h"
#include "tests/support/Application.h"
#include "tests/support/Database.h"
#include "tests/support/DialogRecorder.h"
#include "tests/support/Operator.h"
#include "tests/support/TempEventFolder.h"

namespace zlt::test {

// The event's details confirmed in this run.
inline bool detailsConfirmed() {
    return app::currentCompetition()->details().Potvrzeno();
}

// All nine windows made by the program's own start-up in a new event folder, which is the
// working directory while the test runs; the main window shown.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the windows in the current working directory and shows the main window.
    void startProgram();

    db::ResultSet& rows() { return frmHlavni->IBOQuery1; }
    static competition::Competition& competition() { return *app::currentCompetition(); }
    // The grid that selectCell and clickTitle click into: the main grid unless a test
    // chooses another.
    platform::DBGrid& grid() { return grid_ != nullptr ? *grid_ : *frmHlavni->DBGrid1; }
    void useGrid(platform::DBGrid& grid) { grid_ = &grid; }
    std::vector<std::vector<db::FieldValue>> stored(const std::string& orderBy = "CISLO") {
        return storedRows(folder.database(), db::preliminaryFields(), orderBy);
    }
    // A click on a cell or a column title of the grid.
    void selectCell(int row, int column);
    void clickTitle(int column);
    // Opens the settings window with "Nastavení" the way the program does, modally, runs
    // the steps in it and leaves it with "Storno" when they left it open.
    static void inSettings(const std::function<void()>& steps);
    // Confirms the event's details in the settings window: edition 50, the penalty column
    // shown or not.
    void confirmDetails(bool penalties);
    // Keys and text go wherever the keyboard focus is.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void type(const QString& text);

    TempEventFolder folder;
    DialogRecorder dialogs;

private:
    std::filesystem::path previousDirectory_;
    platform::DBGrid* grid_ = nullptr;
};

}  // namespace zlt::test
