#include "tools/EventFolder.h"

#include <cerrno>
#include <cstring>

#include "competition/BlankRows.h"
#include "competition/EventFiles.h"
#include "competition/Refusal.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "database/Statement.h"
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
    switch (error) {
        case ENOENT:
            return "neexistuje";
        case EACCES:
        case EPERM:
            return "chybí oprávnění";
        case EROFS:
            return "disk je jen pro čtení";
        case ENOSPC:
        case EDQUOT:
            return "disk je plný";
        case EEXIST:
        case ENOTDIR:
            return "v cestě je soubor místo složky";
        default:
            return "chyba systému (" + std::string(std::strerror(error)) + ")";
    }
}

void createFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        // The folders above are made first, so a folder that is still missing is one that the
        // folder above does not take (as /proc takes none).
        throw competition::Refusal("Složku " + folder.string() + " nelze vytvořit: " +
                                   (error.value() == ENOENT ? "složka nad ní nové složky nepřijímá"
                                                            : fileSystemReason(error.value())) +
                                   ".");
    }
}

void createEventFolder(const std::filesystem::path& folder) {
    createFolder(folder);
    createDatabase(folder / competition::kDatabaseFile);
    const std::filesystem::path settings = folder / competition::kSettingsFile;
    if (!std::filesystem::exists(settings)) {
        text::writeWin1250Lines(settings, competition::linesOf(exampleSettings()));
    }
    writeStampFiles(folder, /*keepExisting=*/true);
}

}  // namespace zlt::tools
