#include "tools/EventFolder.h"

#include "competition/BlankRows.h"
#include "competition/EventFiles.h"
#include "competition/Refusal.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/FbClient.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "database/Statement.h"
#include "platform/TextFile.h"
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

void createEmptyDatabase(db::Connection& connection, int sqlDialect, bool& created) {
    const db::FbClient& api = connection.client();
    std::string dpb = connection.parameterBlock();
    dpb += static_cast<char>(isc_dpb_set_db_charset);
    dpb += static_cast<char>(7);
    dpb += "WIN1250";
    dpb += static_cast<char>(isc_dpb_sql_dialect);
    dpb += std::string{4, static_cast<char>(sqlDialect), 0, 0, 0};
    const std::string file = connection.path();
    isc_db_handle handle = 0;
    ISC_STATUS_ARRAY status{};
    api.create_database(status, 0, file.c_str(), &handle, static_cast<short>(dpb.size()),
                        dpb.data(), 0);
    api.check(status);
    created = true;
    api.detach_database(status, &handle);
    api.check(status);
    for (const db::FieldList* fields : {&db::preliminaryFields(), &db::finalsFields()}) {
        db::Statement("create", connection, createTableText(*fields)).execute();
    }
}

void seedRows(db::Connection& connection, const db::FieldList& fields) {
    db::ResultSet rows("seed", connection, fields, "SELECT * FROM " + fields.table());
    rows.open();
    competition::addBlankRows(rows);
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
        throw competition::Refusal("The database file " + file.string() +
                                " already exists; it is left as it is");
    }
    db::Connection connection("new event");
    connection.setPath(std::filesystem::absolute(file).string());
    bool created = false;
    try {
        createEmptyDatabase(connection, sqlDialect, created);
        seedRows(connection, db::preliminaryFields());
        seedRows(connection, db::finalsFields());
        connection.disconnect();
    } catch (...) {
        // Only a file this call made is removed, so that no half-seeded database stays.
        if (created) {
            try {
                connection.disconnect();
            } catch (const db::DatabaseError&) {
            }
            std::error_code ignored;
            std::filesystem::remove(file, ignored);
        }
        throw;
    }
}

void createEventFolder(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    createDatabase(folder / competition::kDatabaseFile);
    const std::filesystem::path settings = folder / competition::kSettingsFile;
    if (!std::filesystem::exists(settings)) {
        platform::writeWin1250Lines(settings, competition::linesOf(exampleSettings()));
    }
    writeStampFiles(folder, /*keepExisting=*/true);
}

}  // namespace zlt::tools
