// The competition core beside another judges' table writing the same database.
#include "competition/LiveChanges.h"

#include <gmock/gmock.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <thread>

#include "competition/Competition.h"
#include "tests/support/CoreInFolder.h"
#include "tests/support/Database.h"

namespace zlt::competition {
namespace {

class OtherTables : public test::CoreInFolder {
protected:
    OtherTables() {
        open();
        QObject::connect(&competition.live(), &LiveChanges::changed,
                         [this] { changedOn.push_back(QThread::currentThread()); });
    }

    // Turns the event loop until the core has told of a change, or a second has passed.
    void waitForChange() {
        const QDeadlineTimer deadline(1000);
        while (changedOn.empty() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        QCoreApplication::processEvents();  // anything queued behind the change
    }

    db::FieldValue shown(db::ResultSet& rows, int row, const char* field) {
        return rows.value(row, rows.fieldPosition(field));
    }

    std::vector<QThread*> changedOn;  // the thread of each change told
};

TEST_F(OtherTables, TheEnterTotalCountsThePlacingsAsStored) {
    db::ResultSet& rows = competition.preliminary();
    rows.edit();
    rows.setField("BOD1", std::string("4"));
    test::execute(folder.database(), "UPDATE DATAZLT SET BOD2 = 3, BOD6 = 1 WHERE CISLO = 1");

    competition.recomputeTotal(rows);
    EXPECT_EQ(shown(rows, 0, "CELKEM"), db::FieldValue(8));
    EXPECT_EQ(test::storedRows(folder.database(), db::preliminaryFields(), "CISLO")[0][15],
              db::FieldValue(8));
}

TEST_F(OtherTables, CommitsToldFromAnotherThreadAreRereadOnceOnTheUserInterfaceThread) {
    db::ResultSet& rows = competition.preliminary();
    rows.moveTo(3);
    test::execute(folder.database(), "UPDATE DATAZLT SET DRUZSTVO = 'Orel' WHERE CISLO = 9");
    test::execute(folder.database(), "UPDATE DATAZLTF SET FBOD1 = 2");

    std::thread client([&] {
        for (int commit = 0; commit < 5; ++commit) {
            competition.live().databaseChanged();
        }
    });
    client.join();
    EXPECT_TRUE(db::isNull(shown(rows, 8, "DRUZSTVO"))) << "nothing is read on that thread";

    waitForChange();
    ASSERT_EQ(changedOn.size(), 1u) << "a burst is read once";
    EXPECT_EQ(changedOn[0], QCoreApplication::instance()->thread());
    EXPECT_EQ(shown(rows, 8, "DRUZSTVO"), db::FieldValue(std::string("Orel")));
    EXPECT_EQ(shown(competition.finals(), 0, "FBOD1"), db::FieldValue(2));
    EXPECT_EQ(rows.recNo(), 3);
}

TEST_F(OtherTables, ALostConnectionIsToldAndItsReturnRereadsTheRows) {
    LiveChanges& live = competition.live();
    std::vector<QString> texts;
    QObject::connect(&live, &LiveChanges::connectionTextChanged,
                     [&](const QString& text) { texts.push_back(text); });

    std::thread([&] { live.connectionLost(); }).join();
    QCoreApplication::processEvents();
    EXPECT_FALSE(live.connected());
    EXPECT_THAT(live.connectionText().toStdString(), ::testing::HasSubstr("přerušené"));

    test::execute(folder.database(), "UPDATE DATAZLT SET BOD1 = 7 WHERE CISLO = 1");
    std::thread([&] { live.connectionBack(); }).join();
    waitForChange();
    EXPECT_TRUE(live.connected());
    EXPECT_EQ(live.connectionText(), QString());
    EXPECT_EQ(texts.size(), 2u);
    EXPECT_EQ(shown(competition.preliminary(), 0, "BOD1"), db::FieldValue(7));
}

// The views that follow the committed rows hear of a change of the whole database as of
// any write: a reset and a restore each tell once they are done.
TEST_F(OtherTables, AResetAndARestoreAreToldAsChanges) {
    ASSERT_TRUE(competition.backups().takeCopy().has_value());
    const BackupCopy copy = competition.backups().copies().front();
    competition.resetDatabase();
    EXPECT_TRUE(changedOn.empty()) << "told only once the reset is done";
    waitForChange();
    EXPECT_EQ(changedOn.size(), 1u);

    changedOn.clear();
    competition.restore(copy);
    waitForChange();
    EXPECT_EQ(changedOn.size(), 1u);
}

}  // namespace
}  // namespace zlt::competition
