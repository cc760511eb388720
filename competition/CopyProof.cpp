#include "competition/CopyProof.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <set>
#include <system_error>

#include "database/Connection.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "database/Services.h"
#include "text/SystemError.h"

namespace zlt::competition {
namespace {

namespace fs = std::filesystem;

// Thrown inside the proof with the reason only; the copy's name is added on the way out.
struct Flaw {
    QString reason;
};

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

QString readFailure(int error) {
    return text(text::systemErrorText(error, text::FileAccess::Read));
}

void requireContent(const fs::path& file) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    if (error) {
        throw Flaw{readFailure(error.value())};
    }
    if (size == 0) {
        throw Flaw{QStringLiteral("soubor je prázdný")};
    }
}

QString firstLine(const std::string& message) {
    return text(message.substr(0, message.find('\n')));
}

QString faultText(const db::DatabaseError& error) {
    switch (db::fileFaultOf(error)) {
        case db::FileFault::NotADatabase:
            return QStringLiteral("soubor není databáze");
        case db::FileFault::Truncated:
            return QStringLiteral("soubor je zkrácený, chybí mu konec");
        case db::FileFault::Unreadable:
            return QStringLiteral("soubor nelze celý přečíst");
        case db::FileFault::OtherEngineVersion:
            return QStringLiteral("databáze je z jiné verze databázového stroje");
        case db::FileFault::Corrupt:
            return QStringLiteral("databázový stroj ji hlásí jako porušenou");
        case db::FileFault::Other:
            break;
    }
    return QStringLiteral("databázový stroj ji neotevře: %1").arg(firstLine(error.what()));
}

// The tables or indexes named in the validation's summaries, "Relation 128 (DATAZLT) : 1
// ERRORS found".
QString faultyParts(const std::vector<std::string>& errors) {
    QStringList parts;
    for (const std::string& line : errors) {
        const std::size_t close = line.find(") :");
        const std::size_t open = line.rfind('(', close);
        if (close != std::string::npos && open != std::string::npos) {
            parts << text(line.substr(open + 1, close - open - 1));
        }
    }
    parts.removeDuplicates();
    return parts.join(QStringLiteral(", "));
}

void requireValid(const fs::path& file) {
    std::vector<std::string> errors;
    try {
        errors = db::validateDatabase(file);
    } catch (const db::DatabaseError& error) {
        throw Flaw{faultText(error)};
    }
    if (!errors.empty()) {
        const QString parts = faultyParts(errors);
        throw Flaw{parts.isEmpty()
                       ? QStringLiteral("kontrola databáze v ní našla chyby")
                       : QStringLiteral("kontrola databáze našla chyby v %1").arg(parts)};
    }
}

std::string trimmed(const db::FieldValue& value) {
    std::string shown = db::displayText(value);
    while (!shown.empty() && shown.back() == ' ') {
        shown.pop_back();
    }
    return shown;
}

void requireWritable(db::Connection& connection) {
    const db::FieldList fields("MON$DATABASE", {{"MON$READ_ONLY", db::FieldType::Integer, 0, ""}});
    db::ResultSet flag("copy check", connection, fields, "SELECT * FROM MON$DATABASE");
    flag.open();
    if (db::displayText(flag.value(0, 0)) != "0") {
        throw Flaw{QStringLiteral("databáze je jen pro čtení")};
    }
}

// Every field of the program's list, whatever else the table holds.
void requireFields(db::Connection& connection, const db::FieldList& table) {
    const db::FieldList fields("RDB$RELATION_FIELDS",
                               {{"RDB$FIELD_NAME", db::FieldType::Text, 63, ""}});
    db::ResultSet columns(
        "copy check", connection, fields,
        "SELECT * FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = '" + table.table() + "'");
    columns.open();
    std::set<std::string> present;
    for (int row = 0; row < columns.recordCount(); ++row) {
        present.insert(trimmed(columns.value(row, 0)));
    }
    if (present.empty()) {
        throw Flaw{QStringLiteral("chybí v ní tabulka %1").arg(text(table.table()))};
    }
    QStringList missing;
    for (const db::FieldDef& field : table) {
        if (present.count(field.name) == 0) {
            missing << text(field.name);
        }
    }
    if (!missing.isEmpty()) {
        throw Flaw{QStringLiteral("v tabulce %1 chybí pole %2")
                       .arg(text(table.table()), missing.join(QStringLiteral(", ")))};
    }
}

bool blank(const db::FieldValue& value) {
    const std::string shown = db::displayText(value);
    return std::all_of(shown.begin(), shown.end(),
                       [](unsigned char c) { return std::isspace(c) != 0; });
}

int countFilled(const db::ResultSet& rows, std::initializer_list<const char*> fields) {
    int filled = 0;
    for (int row = 0; row < rows.recordCount(); ++row) {
        for (const char* field : fields) {
            filled += db::isNull(rows.value(row, rows.fieldPosition(field))) ? 0 : 1;
        }
    }
    return filled;
}

int countTeams(const db::ResultSet& rows) {
    const int team = rows.fieldPosition("DRUZSTVO");
    int teams = 0;
    for (int row = 0; row < rows.recordCount(); ++row) {
        teams += blank(rows.value(row, team)) ? 0 : 1;
    }
    return teams;
}

// Both tables read whole, as the program reads them, with the fields' types checked.
BackupContents readContents(db::Connection& connection) {
    db::ResultSet preliminary("copy check", connection, db::preliminaryFields(),
                              "SELECT * FROM " + db::preliminaryFields().table());
    db::ResultSet finals("copy check", connection, db::finalsFields(),
                         "SELECT * FROM " + db::finalsFields().table());
    try {
        preliminary.open();
        finals.open();
    } catch (const db::DatabaseError& error) {
        throw Flaw{QStringLiteral("její řádky nelze přečíst: %1").arg(firstLine(error.what()))};
    }
    return {countTeams(preliminary),
            countFilled(preliminary, {"BOD1", "BOD2", "BOD3", "BOD4", "BOD5", "BOD6"}) +
                countFilled(finals, {"FBOD1", "FBOD2", "FBOD3"})};
}

BackupContents proveAttached(const fs::path& file) {
    db::Connection connection("copy check");
    connection.setPath(fs::absolute(file).string());
    try {
        connection.connect();
    } catch (const db::DatabaseError& error) {
        throw Flaw{faultText(error)};
    }
    requireWritable(connection);
    requireFields(connection, db::preliminaryFields());
    requireFields(connection, db::finalsFields());
    return readContents(connection);
}

}  // namespace

BrokenCopy::BrokenCopy(const fs::path& copy, const QString& reason)
    : Refusal(QStringLiteral("Záloha %1 je poškozená (%2); databáze zůstala beze změny.")
                  .arg(text(copy.filename().string()), reason)
                  .toStdString()),
      reason_(reason) {}

BackupContents proveFile(const fs::path& file, const fs::path& copy) {
    try {
        requireContent(file);
        // The engine's validation first: it tells a damaged page by its table, where a read
        // would only fail.
        requireValid(file);
        return proveAttached(file);
    } catch (const Flaw& flaw) {
        throw BrokenCopy(copy, flaw.reason);
    }
}

BackupContents proveInto(const fs::path& copy, const fs::path& own, fs::perms permissions) {
    std::error_code error;
    fs::copy_file(copy, own, fs::copy_options::overwrite_existing, error);
    if (!error) {
        fs::permissions(own, permissions, error);
    }
    if (error) {
        // A copy that opens was not the trouble: the private copy could not be written.
        if (const int readable = open(copy.c_str(), O_RDONLY); readable < 0) {
            throw BrokenCopy(copy, readFailure(errno));
        } else {
            close(readable);
        }
        throw Refusal(QStringLiteral("Zálohu %1 nelze zkopírovat do složky %2: %3.")
                          .arg(text(copy.filename().string()), text(own.parent_path().string()),
                               QString::fromStdString(text::systemErrorText(error.value())))
                          .toStdString());
    }
    return proveFile(own, copy);
}

BackupContents proveCopy(const fs::path& copy) {
    const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/zlt-kontrola-XXXXXX"));
    if (!folder.isValid()) {
        throw Refusal(QStringLiteral("Zálohu %1 nelze zkontrolovat: dočasnou složku nelze "
                                     "vytvořit (%2).")
                          .arg(text(copy.filename().string()), folder.errorString())
                          .toStdString());
    }
    return proveInto(copy, fs::path(folder.path().toStdString()) / copy.filename(),
                     fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace zlt::competition
