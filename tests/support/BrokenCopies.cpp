#include "tests/support/BrokenCopies.h"

#include <QCryptographicHash>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <thread>

#include "database/Connection.h"
#include "database/FbClient.h"
#include "tests/support/Database.h"
#include "tests/support/Files.h"

namespace zlt::test {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

void randomBytes(const fs::path&, const fs::path& broken) {
    std::mt19937 generator(2026);
    std::string bytes(200 * 1024, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(generator());
    }
    write(broken, bytes);
}

void empty(const fs::path&, const fs::path& broken) {
    write(broken, {});
}

void cutInHalf(const fs::path& sound, const fs::path& broken) {
    const std::string bytes = fileBytes(sound);
    write(broken, bytes.substr(0, bytes.size() / 2));
}

void anotherProgramsDatabase(const fs::path&, const fs::path& broken) {
    db::Connection connection("another program");
    connection.setPath(broken.string());
    connection.createFile(3);
    execute(broken, "CREATE TABLE ZAKAZNICI (ID INTEGER, JMENO VARCHAR(40))");
    execute(broken, "INSERT INTO ZAKAZNICI VALUES (1, 'Novák')");
}

void gfix(const fs::path& database, const std::string& options) {
    db::prepareEngineLockFolder();
    const std::string command = "gfix -user SYSDBA " + options + " '" + database.string() + "'";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error(command + " failed");
    }
}

void madeReadOnly(const fs::path& sound, const fs::path& broken) {
    fs::copy_file(sound, broken, fs::copy_options::overwrite_existing);
    gfix(broken, "-mode read_only");
}

void withoutAField(const fs::path& sound, const fs::path& broken) {
    fs::copy_file(sound, broken, fs::copy_options::overwrite_existing);
    execute(broken, "ALTER TABLE DATAZLT DROP BOD3");
}

// Overwrites the record index of the preliminary rows' data page, as a bad sector would:
// the file still opens and its size is right.
void damagedPage(const fs::path& sound, const fs::path& broken) {
    std::string bytes = fileBytes(sound);
    const auto number = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
               static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    const std::size_t pageSize = number(0x10);                // in the header page
    constexpr unsigned kDataPage = 5, kFirstUserTable = 128;  // DATAZLT, made first
    for (std::size_t page = 0; page + pageSize <= bytes.size(); page += pageSize) {
        if (static_cast<unsigned char>(bytes[page]) == kDataPage &&
            number(page + 20) == kFirstUserTable) {
            bytes.replace(page + 24, 120, 120, '\xEE');
            write(broken, bytes);
            return;
        }
    }
    throw std::runtime_error("no data page of DATAZLT in " + sound.string());
}

}  // namespace

const std::vector<BrokenCopyKind>& brokenCopyKinds() {
    static const std::vector<BrokenCopyKind> kinds{
        {"RandomBytes", randomBytes, "soubor není databáze"},
        {"EmptyFile", empty, "soubor je prázdný"},
        {"CutInHalf", cutInHalf, "soubor je zkrácený"},
        {"AnotherProgramsDatabase", anotherProgramsDatabase, "chybí v ní tabulka DATAZLT"},
        {"MadeReadOnly", madeReadOnly, "databáze je jen pro čtení"},
        {"WithoutAField", withoutAField, "v tabulce DATAZLT chybí pole BOD3"},
        {"DamagedPage", damagedPage, "kontrola databáze našla chyby v DATAZLT"},
    };
    return kinds;
}

std::string settledChecksum(const fs::path& database) {
    const auto checksum = [&] {
        const std::string bytes = fileBytes(database);
        return QCryptographicHash::hash(
                   QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                   QCryptographicHash::Sha256)
            .toHex()
            .toStdString();
    };
    constexpr int kStillReadings = 4;
    std::string last = checksum();
    for (int still = 1, tries = 0; still < kStillReadings && tries < 100; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::string now = checksum();
        still = now == last ? still + 1 : 1;
        last = now;
    }
    return last;
}

}  // namespace zlt::test
