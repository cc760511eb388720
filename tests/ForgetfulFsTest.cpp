#include "tests/support/ForgetfulFs.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "competition/EventFiles.h"
#include "database/FieldList.h"
#include "tests/support/Database.h"
#include "tests/support/TempEventFolder.h"
#include "tools/EventFolder.h"

namespace zlt {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void put(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// Writes through one descriptor; `sync` as the program would call it before closing.
void write(const fs::path& file, const std::string& bytes, int flags, bool sync) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | flags, 0644);
    ASSERT_GE(fd, 0) << file;
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    if (sync) {
        ASSERT_EQ(::fsync(fd), 0);
    }
    ::close(fd);
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0) << folder;
    ASSERT_EQ(::fsync(fd), 0);
    ::close(fd);
}

// The committed team name of the preliminary round's row with that number, "" when none.
std::string team(const fs::path& database, int number) {
    const db::FieldList& fields = db::preliminaryFields();
    for (const auto& row : test::storedRows(database, fields, "CISLO")) {
        if (db::integerOf(row[fields.positionOf("CISLO").value()]) == number) {
            return db::displayText(row[fields.positionOf("DRUZSTVO").value()]);
        }
    }
    return "";
}

class ForgetfulFs : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!test::ForgetfulMount::available(&why)) {
            GTEST_SKIP() << why;
        }
    }
    test::TempFolder backing;
};

TEST_F(ForgetfulFs, FileBytesLastOnlyOnceSynced) {
    for (const char* name : {"unsynced", "synced", "dsync", "truncated"}) {
        put(backing.path() / name, "old");
    }
    test::ForgetfulMount mount(backing.path());
    write(mount.path() / "unsynced", "new", 0, false);
    write(mount.path() / "synced", "new", 0, true);
    write(mount.path() / "dsync", "new", O_DSYNC, false);
    fs::resize_file(mount.path() / "truncated", 1);
    EXPECT_EQ(contents(mount.path() / "unsynced"), "new") << "the live bytes are read back";
    mount.cutNow();
    EXPECT_TRUE(mount.isCut());
    mount.unmount();

    EXPECT_EQ(contents(backing.path() / "unsynced"), "old");
    EXPECT_EQ(contents(backing.path() / "synced"), "new");
    EXPECT_EQ(contents(backing.path() / "dsync"), "new");
    EXPECT_EQ(contents(backing.path() / "truncated"), "old");
}

TEST_F(ForgetfulFs, NamesLastOnlyOnceTheirFolderIsSynced) {
    for (const char* folder : {"unsynced", "synced"}) {
        fs::create_directory(backing.path() / folder);
        put(backing.path() / folder / "file", "old");
    }
    test::ForgetfulMount mount(backing.path());
    for (const char* folder : {"unsynced", "synced"}) {
        // Replaced the way the program replaces its text files: a synced new file renamed
        // over the old one.
        write(mount.path() / folder / "file.tmp", "new", 0, true);
        fs::rename(mount.path() / folder / "file.tmp", mount.path() / folder / "file");
    }
    syncFolder(mount.path() / "synced");
    write(mount.path() / "unsynced" / "new file", "synced bytes", 0, true);
    fs::create_directory(mount.path() / "new folder");
    fs::remove(mount.path() / "unsynced" / "file");
    EXPECT_FALSE(fs::exists(mount.path() / "unsynced" / "file"));
    mount.unmount();

    EXPECT_EQ(contents(backing.path() / "unsynced" / "file"), "old");
    EXPECT_FALSE(fs::exists(backing.path() / "unsynced" / "file.tmp"));
    EXPECT_FALSE(fs::exists(backing.path() / "unsynced" / "new file"));
    EXPECT_FALSE(fs::exists(backing.path() / "new folder"));
    EXPECT_EQ(contents(backing.path() / "synced" / "file"), "new");
    EXPECT_FALSE(fs::exists(backing.path() / "synced" / "file.tmp"));
}

TEST_F(ForgetfulFs, APlannedCutFailsTheOperationPastItAndEveryOneAfter) {
    put(backing.path() / "file", "old");
    test::ForgetfulMount mount(backing.path());
    const int fd = ::open((mount.path() / "file").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    const long before = mount.operations();
    mount.cutAfter(2);
    EXPECT_EQ(::pwrite(fd, "a", 1, 0), 1);
    EXPECT_EQ(::fsync(fd), 0);
    EXPECT_EQ(mount.operations(), before + 2);
    EXPECT_FALSE(mount.isCut());
    errno = 0;
    EXPECT_EQ(::pwrite(fd, "b", 1, 1), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_TRUE(mount.isCut());
    EXPECT_EQ(mount.operations(), before + 2) << "the failed write is not counted";

    char byte = 0;
    errno = 0;
    EXPECT_EQ(::pread(fd, &byte, 1, 0), -1);
    EXPECT_EQ(errno, EIO);
    struct stat info {};
    errno = 0;
    EXPECT_NE(::stat((mount.path() / "file").c_str(), &info), 0);
    EXPECT_EQ(errno, EIO);
    errno = 0;
    EXPECT_NE(::mkdir((mount.path() / "folder").c_str(), 0755), 0);
    EXPECT_EQ(errno, EIO);
    errno = 0;
    EXPECT_EQ(::opendir(mount.path().c_str()), nullptr);
    EXPECT_EQ(errno, EIO);
    ::close(fd);
    mount.unmount();
    EXPECT_EQ(contents(backing.path() / "file"), "ald");
}

TEST_F(ForgetfulFs, TheEmbeddedEngineWorksOnItAndACommittedRowOutlivesTheCut) {
    // An event made on the mount: the engine creates, writes and reads its database there.
    {
        test::ForgetfulMount mount(backing.path());
        const fs::path event = mount.path() / "na připojení";
        tools::createEventFolder(event);
        test::execute(event / competition::kDatabaseFile,
                      "INSERT INTO DATAZLT (CISLO, DRUZSTVO) VALUES (1000, 'Zeltov')");
        EXPECT_EQ(team(event / competition::kDatabaseFile, 1000), "Zeltov");
    }
    // An event that was on the disk before: a row committed on the mount is there after the
    // power went, without a sync of anything but the engine's own.
    const fs::path event = backing.path() / "Závody ZLT";
    tools::createEventFolder(event);
    test::ForgetfulMount mount(backing.path());
    test::execute(mount.path() / "Závody ZLT" / competition::kDatabaseFile,
                  "INSERT INTO DATAZLT (CISLO, DRUZSTVO) VALUES (1000, 'Horní Zeltov')");
    mount.cutNow();
    mount.unmount();

    EXPECT_EQ(team(event / competition::kDatabaseFile, 1000), "Horní Zeltov");
}

}  // namespace
}  // namespace zlt
