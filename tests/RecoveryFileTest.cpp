#include "database/RecoveryFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "database/ResultSet.h"
#include "tests/support/Database.h"
#include "tests/support/Thrown.h"

namespace zlt::db {
namespace {

constexpr int CISLO = 0, DRUZSTVO = 1, BOD1 = 4;

TEST(RecoveryFile, KeepsAnyTypedTextAndEveryKindOfValue) {
    test::TempFolder folder;
    const auto file = recoveryFileOf(folder.path() / "ZLT04.GDB");
    const std::vector<PendingRow> rows = {
        {"DATAZLT",
         std::string("\x00\x01 \\\xff", 5),
         {{"DRUZSTVO", std::string(" Žďár \\x41\nБег\t ")},
          {"BOD1", std::int32_t{-7}},
          {"BOD2", std::string("500")},
          {"PENALIZACE", FieldValue{}},
          {"DISCIPLINA1", std::string()}}},
        {"DATAZLTF", "", {{"DRUZSTVO", std::string(" ")}}},
    };
    saveRecoveryFile(file, rows);
    EXPECT_EQ(loadRecoveryFile(file), rows);
}

TEST(RecoveryFile, AnotherFileIsRefusedByName) {
    test::TempFolder folder;
    const auto file = folder.path() / "ZLT04.GDB.rozepsane";
    for (const char* text : {"", "Nastaveni\r\n", "ZLT rozepsane radky 1\r\npole BOD1 i 1\r\n",
                             "ZLT rozepsane radky 1\r\nradek DATAZLT -\r\npole BOD1 i x\r\n",
                             "ZLT rozepsane radky 1\r\nradek DATAZLT \\x4\r\n"}) {
        SCOPED_TRACE(text);
        std::ofstream(file, std::ios::binary) << text;
        EXPECT_THAT(test::thrownMessage<std::runtime_error>([&] { loadRecoveryFile(file); }),
                    ::testing::Optional(::testing::HasSubstr("ZLT04.GDB.rozepsane")))
            << "refused, naming the file";
    }
}

class KeptRows : public ::testing::Test {
protected:
    void SetUp() override {
        connection.setPath(folder.database().string());
        query.open();
    }
    test::TempEventFolder folder;
    Connection connection;
    ResultSet query{"IBOQuery1", connection, preliminaryFields(), "SELECT *  FROM DATAZLT"};
};

TEST_F(KeptRows, AnEditedRowComesBackOnTheSameTeamAndANewOneAsANewRow) {
    EXPECT_FALSE(query.pendingRow().has_value()) << "nothing is being typed";
    query.moveTo(3);
    query.edit();
    query.setField(BOD1, std::string("12"));
    const PendingRow edited = *query.pendingRow();
    EXPECT_EQ(edited.values.size(), 1u) << "only what was typed";
    query.cancel();
    query.first();

    query.resumeRow(edited);
    EXPECT_EQ(query.state(), DataSetState::Edit);
    EXPECT_EQ(query.field(CISLO), FieldValue(4));
    query.post();
    EXPECT_EQ(query.field(BOD1), FieldValue(12));

    query.append();
    query.setField(DRUZSTVO, std::string("Nová Ves"));
    const PendingRow inserted = *query.pendingRow();
    query.cancel();
    query.resumeRow(inserted);
    EXPECT_EQ(query.state(), DataSetState::Insert);
    query.post();
    EXPECT_EQ(query.recordCount(), 31);
    EXPECT_EQ(query.field(DRUZSTVO), FieldValue(std::string("Nová Ves")));
}

}  // namespace
}  // namespace zlt::db
