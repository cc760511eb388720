#include "tools/EventFolder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "competition/BlankRows.h"
#include "competition/EventFiles.h"
#include "competition/Refusal.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "database/Statement.h"
#include "text/SystemError.h"
#include "text/TextFile.h"
#include "tools/StampArt.h"

namespace zlt::tools {
namespace {

std::string createTableText(const db::FieldList& fields) {
    std::string columns;
    for (const db::FieldDef& field : fields) {
        columns += columns.empty() ? "" : ", ";
        columns += field.name + (field.type == db::FieldType::Integer
                                     ? std::string(" INTEGER")
                                     : " VARCHAR(" + std::to_string(field.length) + ")");
    }
    return "CREATE TABLE " + fields.table() + " (" + columns + ")";
}

void createTables(db::Connection& connection) {
    for (const db::FieldList* fields : {&db::preliminaryFields(), &db::finalsFields()}) {
        db::Statement("create", connection, createTableText(*fields)).execute();
    }
}

void seedRows(db::Connection& connection, const db::FieldList& fields) {
    db::ResultSet rows("seed", connection, fields, "SELECT * FROM " + fields.table());
    rows.open();
    competition::addBlankRows(rows);
}

// Fills a database just created, as a database reset leaves it.
void fillNewDatabase(db::Connection& connection) {
    createTables(connection);
    seedRows(connection, db::preliminaryFields());
    seedRows(connection, db::finalsFields());
    connection.disconnect();
}

namespace fs = std::filesystem;

// A folder in which an event is being made carries this after its name; one left by a power
// cut or a killed run is removed by the next run.
constexpr const char* kUnfinished = ".rozpracovano-";

void syncFolderSaying(const fs::path& folder) {
    try {
        text::syncFolder(folder);
    } catch (const text::FileWriteError& error) {
        throw competition::Refusal("Složku " + folder.string() + " nelze uložit na disk: " +
                                   fileSystemReason(error.error()) + ".");
    }
}

void syncFileSaying(const fs::path& file) {
    try {
        text::syncFile(file);
    } catch (const text::FileWriteError& error) {
        throw competition::Refusal("Soubor " + file.string() + " nelze uložit na disk: " +
                                   fileSystemReason(error.error()) + ".");
    }
}

void removeLeftovers(const fs::path& folder, const std::string& prefix) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->path().filename().string().rfind(prefix, 0) == 0) {
            found.push_back(entry->path());
        }
    }
    for (const fs::path& leftover : found) {
        fs::remove_all(leftover, error);
    }
}

// A new folder of the pattern's name and a unique ending, with the mode a folder made
// the usual way would have.
fs::path makeBuildingFolder(const fs::path& pattern) {
    std::string name = pattern.string() + "XXXXXX";
    if (mkdtemp(name.data()) == nullptr) {
        throw competition::Refusal("Ve složce " + pattern.parent_path().string() +
                                   " nelze vytvořit pracovní složku: " + fileSystemReason(errno) +
                                   ".");
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(name.c_str(), 0777 & ~mask);
    return name;
}

// The files of a whole event, every one of them and the folder's names on the disk.
void buildEvent(const fs::path& building) {
    const fs::path database = building / competition::kDatabaseFile;
    createDatabase(database);
    syncFileSaying(database);
    text::writeWin1250Lines(building / competition::kSettingsFile,
                            competition::linesOf(exampleSettings()));
    writeStampFiles(building);
    syncFolderSaying(building);
}

void moveInPlace(const fs::path& from, const fs::path& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        throw competition::Refusal("Složku " + to.string() +
                                   " nelze vytvořit: " + fileSystemReason(errno) + ".");
    }
}

// Why an existing database is not a whole event, or nothing when it is one (or when it is
// held by a program, which only a whole event can be).
std::string unfinished(const fs::path& folder) {
    try {
        db::Connection connection("existing event");
        connection.setPath((folder / competition::kDatabaseFile).string());
        connection.connect();
        for (const db::FieldList* fields : {&db::preliminaryFields(), &db::finalsFields()}) {
            db::ResultSet rows("check", connection, *fields, "SELECT * FROM " + fields->table());
            rows.open();
        }
    } catch (const db::DatabaseError& error) {
        if (error.engineCode() == db::DatabaseError::kHeldElsewhere) {
            return {};
        }
        return std::string("databáze ") + competition::kDatabaseFile + " se nedá otevřít";
    }
    std::string lacking;
    std::vector<fs::path> files{competition::kSettingsFile};
    for (const bool summer : {true, false}) {
        files.push_back(competition::mainWindowPicture(summer));
        files.push_back(competition::reportStamp(summer));
    }
    for (const fs::path& file : files) {
        std::error_code error;
        if (!fs::exists(folder / file, error)) {
            lacking += (lacking.empty() ? "chybí " : ", ") + file.string();
        }
    }
    return lacking;
}

// A folder the organiser made beforehand, perhaps with the settings and pictures of an
// earlier year, which stay. The new files are made aside and moved in, the database last,
// so that a power cut leaves the folder as it was or with a whole event.
void fillExistingFolder(const fs::path& folder) {
    const fs::path database = folder / competition::kDatabaseFile;
    std::error_code error;
    if (fs::exists(database, error)) {
        if (const std::string why = unfinished(folder); !why.empty()) {
            throw competition::Refusal("Složka " + folder.string() +
                                       " obsahuje nedokončenou událost (" + why +
                                       "). Nemá-li ještě žádné výsledky, smažte ji a spusťte "
                                       "zlt-new-event znovu.");
        }
        createDatabase(database);  // refuses, as for any existing database
    }
    const std::string prefix = std::string(".zlt-new-event") + kUnfinished;
    removeLeftovers(folder, prefix);
    const fs::path building = makeBuildingFolder(folder / prefix);
    try {
        buildEvent(building);
        for (const fs::directory_entry& entry : fs::directory_iterator(building)) {
            const fs::path name = entry.path().filename();
            if (name != competition::kDatabaseFile && !fs::exists(folder / name)) {
                moveInPlace(entry.path(), folder / name);
            }
        }
        syncFolderSaying(folder);
        moveInPlace(building / competition::kDatabaseFile, database);
        syncFolderSaying(folder);
    } catch (...) {
        fs::remove_all(building, error);
        throw;
    }
    fs::remove_all(building, error);
}

}  // namespace

competition::EventSettings exampleSettings() {
    return {{"1", "Zeltov, 12. června 2027", "Štafeta s vědrem", "Přetahování lanem", "Běh v pytli",
             "Hod vajíčkem", "Nošení vody", "Jízda na trakaři", "Vodní štafeta", "Překážková dráha",
             "Hod na koš"},
            /*penaltyShown=*/true,
            /*summer=*/true};
}

void createDatabase(const std::filesystem::path& file, int sqlDialect) {
    if (std::filesystem::exists(file)) {
        throw competition::Refusal("Databáze " + file.string() + " už existuje; zůstává, jak je.");
    }
    db::Connection connection("new event");
    connection.setPath(std::filesystem::absolute(file).string());
    connection.createFile(sqlDialect);
    try {
        fillNewDatabase(connection);
    } catch (...) {
        // The file is this call's own, so no half-seeded database stays.
        try {
            connection.disconnect();
        } catch (const db::DatabaseError&) {
        }
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        throw;
    }
}

void createServerDatabase(const std::string& location, int sqlDialect) {
    if (!db::DatabaseLocation::parse(location).isServer()) {
        throw competition::Refusal(location + " není umístění na serveru (server:cesta)");
    }
    db::Connection connection("new event");
    connection.setPath(location);
    connection.createFile(sqlDialect);
    fillNewDatabase(connection);
}

std::string fileSystemReason(int error) {
    // Where a folder is to be made, a name that exists already is a file in its way.
    return text::systemErrorText(error == EEXIST ? ENOTDIR : error);
}

void createFolder(const std::filesystem::path& folder) {
    // The folders that are missing, so that each new name is synced into the folder above:
    // a new folder whose own name is lost in a power cut takes all it holds with it.
    std::vector<fs::path> missing;
    std::error_code error;
    for (fs::path level = fs::absolute(folder).lexically_normal();
         !level.empty() && !fs::exists(level, error) && level != level.parent_path();
         level = level.parent_path()) {
        missing.push_back(level);
    }
    fs::create_directories(folder, error);
    if (error) {
        // The folders above are made first, so a folder that is still missing is one that the
        // folder above does not take (as /proc takes none).
        throw competition::Refusal("Složku " + folder.string() + " nelze vytvořit: " +
                                   (error.value() == ENOENT ? "složka nad ní nové složky nepřijímá"
                                                            : fileSystemReason(error.value())) +
                                   ".");
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        syncFolderSaying(level->parent_path());
    }
}

void createEventFolder(const std::filesystem::path& folder) {
    fs::path target = fs::absolute(folder).lexically_normal();
    if (target.filename().empty()) {
        target = target.parent_path();  // "2027/" names the folder 2027
    }
    std::error_code error;
    if (fs::is_directory(target, error)) {
        fillExistingFolder(target);
        return;
    }
    const fs::path parent = target.parent_path();
    if (fs::exists(target, error) || !fs::is_directory(parent, error)) {
        // Makes the folders above, or refuses naming the folder asked for and what stands
        // in its way.
        createFolder(target);
        fs::remove(target, error);
    }
    // Appended step by step: GCC 12 at -O3 takes `"." + name` for an overlapping copy
    // (-Wrestrict).
    std::string prefix = ".";
    prefix += target.filename().string();
    prefix += kUnfinished;
    removeLeftovers(parent, prefix);
    const fs::path building = makeBuildingFolder(parent / prefix);
    try {
        buildEvent(building);
        moveInPlace(building, target);
    } catch (...) {
        fs::remove_all(building, error);
        throw;
    }
    syncFolderSaying(parent);
}

}  // namespace zlt::tools
