// Copies that cannot take the event database's place, refused before they replace anything.
#include "competition/CopyProof.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "competition/Competition.h"
#include "tests/support/BrokenCopies.h"
#include "tests/support/CoreInFolder.h"
#include "tests/support/Database.h"
#include "tests/support/Files.h"
#include "tests/support/Thrown.h"

namespace zlt::competition {
namespace {

namespace fs = std::filesystem;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Optional;
using ::testing::StartsWith;

std::size_t filesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class CopiesOfAnEvent : public test::CoreInFolder {
protected:
    void nameTeam(int row, const std::string& team) {
        db::ResultSet& rows = competition.preliminary();
        rows.moveTo(row);
        rows.edit();
        rows.setField("DRUZSTVO", team);
        rows.post();
    }
    std::string storedTeam(int row) {
        const auto rows = test::storedRows(folder.database(), db::preliminaryFields(), "CISLO");
        return db::displayText(rows.at(static_cast<std::size_t>(row))
                                   .at(db::preliminaryFields().positionOf("DRUZSTVO").value()));
    }
    BackupCopy copyNamed(const fs::path& file) {
        for (const BackupCopy& copy : competition.backups().copies()) {
            if (copy.file == file) {
                return copy;
            }
        }
        ADD_FAILURE() << "not listed: " << file;
        return {file, {}};
    }
    fs::path own() const { return folder.path() / Backups::kFolder; }
};

class ABrokenCopy : public CopiesOfAnEvent,
                    public ::testing::WithParamInterface<test::BrokenCopyKind> {};

TEST_P(ABrokenCopy, IsRefusedWithNothingChangedAndTheSoundCopyRestoresAfterIt) {
    open();
    nameTeam(0, "Zeltov");
    const fs::path sound = competition.backups().takeCopy().value();
    nameTeam(1, "Horní Zeltov");
    const fs::path broken = own() / test::kBrokenCopyName;
    GetParam().make(sound, broken);

    const std::string database = test::settledChecksum(folder.database());
    const std::vector<std::string> journal = journalLines();
    const std::size_t copies = filesIn(own());
    db::ResultSet& rows = competition.preliminary();
    rows.moveTo(2);
    rows.edit();
    rows.setField("DRUZSTVO", std::string("Rozepsaná Lhota"));

    EXPECT_THAT(competition.backups().examine(copyNamed(broken)).flaw.toStdString(),
                HasSubstr(GetParam().reason))
        << "listed as it is";
    const std::optional<std::string> refusal =
        test::thrownMessage<BrokenCopy>([&] { competition.restore(copyNamed(broken)); });
    EXPECT_THAT(refusal, Optional(StartsWith("Záloha " + std::string(test::kBrokenCopyName) +
                                             " je poškozená (")));
    EXPECT_THAT(refusal, Optional(HasSubstr(GetParam().reason)));
    EXPECT_THAT(refusal, Optional(EndsWith("); databáze zůstala beze změny.")));

    EXPECT_EQ(test::settledChecksum(folder.database()), database) << "byte for byte as it was";
    EXPECT_EQ(journalLines(), journal);
    EXPECT_EQ(filesIn(own()), copies) << "no copy taken before the refusal";
    EXPECT_FALSE(fs::exists(fs::path(folder.database()) += ".obnova"));
    EXPECT_TRUE(rows.active());
    EXPECT_EQ(rows.state(), db::DataSetState::Edit) << "the row being typed is still being typed";
    EXPECT_EQ(rows.recNo(), 2);
    EXPECT_EQ(db::displayText(rows.field(rows.fieldPosition("DRUZSTVO"))), "Rozepsaná Lhota");
    EXPECT_EQ(competition.finals().recordCount(), 12);
    EXPECT_EQ(storedTeam(2), "") << "nothing was written for it";

    rows.cancel();
    competition.restore(copyNamed(sound));
    EXPECT_EQ(storedTeam(0), "Zeltov");
    EXPECT_EQ(storedTeam(1), "");
    EXPECT_EQ(db::displayText(rows.value(0, rows.fieldPosition("DRUZSTVO"))), "Zeltov");
}

INSTANTIATE_TEST_SUITE_P(Kinds, ABrokenCopy, ::testing::ValuesIn(test::brokenCopyKinds()),
                         [](const auto& kind) { return std::string(kind.param.name); });

TEST_F(CopiesOfAnEvent, ACopyThatFailsItsProofOnceWrittenIsRemovedAndCountsAsFailed) {
    competition.openPreliminary();
    test::execute(folder.database(), "DROP TABLE DATAZLTF");
    Backups& backups = competition.backups();
    int told = 0;
    QObject::connect(&backups, &Backups::statusChanged, [&] { ++told; });

    EXPECT_EQ(backups.takeCopy(), std::nullopt);
    EXPECT_EQ(told, 1);
    EXPECT_THAT(backups.problem().toStdString(),
                HasSubstr("Zálohu do složky " + own().string() +
                          " nelze uložit: zapsaná záloha "
                          "neprošla kontrolou, chybí v ní tabulka DATAZLTF."));
    EXPECT_TRUE(backups.lastCopy().isNull());
    EXPECT_EQ(filesIn(own()), 0u) << "nothing kept as a good copy, no work file left";
}

TEST_F(CopiesOfAnEvent, AWriteProtectedCopyRestoresWithTheDatabasesOwnPermissions) {
    open();
    nameTeam(0, "Zeltov");
    const fs::path sound = competition.backups().takeCopy().value();
    fs::permissions(sound, fs::perms::owner_read | fs::perms::group_read);
    const fs::perms before = fs::status(folder.database()).permissions();

    competition.restore(copyNamed(sound));
    EXPECT_EQ(fs::status(folder.database()).permissions(), before);
    EXPECT_EQ(storedTeam(0), "Zeltov");
}

TEST_F(CopiesOfAnEvent, AProofLeavesTheCopyItselfUntouchedAndIsRepeatedOnlyWhenTheFileChanged) {
    open();
    nameTeam(0, "Zeltov");
    Backups& backups = competition.backups();
    const BackupCopy copy = copyNamed(backups.takeCopy().value());
    const std::string bytes = test::fileBytes(copy.file);

    const CopyState sound = backups.examine(copy);
    EXPECT_EQ(sound.flaw, QString());
    EXPECT_EQ(sound.contents.teams, 1);
    EXPECT_EQ(proveCopy(copy.file).teams, 1);
    EXPECT_EQ(test::fileBytes(copy.file), bytes) << "never attached itself";

    test::brokenCopyKinds().front().make(copy.file, copy.file);
    EXPECT_THAT(backups.examine(copy).flaw.toStdString(), HasSubstr("soubor není databáze"));
}

}  // namespace
}  // namespace zlt::competition
