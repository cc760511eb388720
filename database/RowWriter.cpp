#include "database/RowWriter.h"

#include <cstdint>
#include <limits>

#include "database/DatabaseError.h"
#include "database/PreparedStatement.h"
#include "database/Transaction.h"
#include "text/Win1250.h"

namespace zlt::db {
namespace {

std::string fieldName(const FieldDef& field) {
    return "\"" + field.displayLabel + "\" (" + field.name + ")";
}

// A field value checked and converted into what its column takes, or an error naming
// the field. Nothing reaches the database until every changed field has passed.
struct ColumnValue {
    bool null = true;
    std::int32_t number = 0;
    std::string bytes;  // Windows-1250
};

ColumnValue integerColumn(const FieldDef& field, const FieldValue& value) {
    ColumnValue column;
    const auto* text = std::get_if<std::string>(&value);
    if (isNull(value) || (text != nullptr && withoutBlanks(*text).empty())) {
        return column;
    }
    const auto number = integerOf(value);
    if (!number) {
        throw DatabaseError("Field " + fieldName(field) + ": \"" + *text +
                            "\" is not a whole number from " +
                            std::to_string(std::numeric_limits<std::int32_t>::min()) + " to " +
                            std::to_string(std::numeric_limits<std::int32_t>::max()));
    }
    column.null = false;
    column.number = *number;
    return column;
}

ColumnValue textColumn(const FieldDef& field, const FieldValue& value) {
    ColumnValue column;
    if (isNull(value)) {
        return column;
    }
    const std::string text = displayText(value);
    try {
        column.bytes = text::toWin1250(text);
    } catch (const text::EncodingError& error) {
        throw DatabaseError("Field " + fieldName(field) + ": " + error.what());
    }
    if (static_cast<int>(column.bytes.size()) > field.length) {
        throw DatabaseError("Field " + fieldName(field) + ": the text has " +
                            std::to_string(column.bytes.size()) + " characters, at most " +
                            std::to_string(field.length) + " fit");
    }
    column.null = false;
    return column;
}

ColumnValue toColumn(const FieldDef& field, const FieldValue& value) {
    return field.type == FieldType::Integer ? integerColumn(field, value)
                                            : textColumn(field, value);
}

void bindColumn(SqlValues& params, int index, const ColumnValue& value, FieldType type) {
    if (value.null) {
        params.setNull(index);
    } else if (type == FieldType::Integer) {
        params.setInteger(index, value.number);
    } else {
        params.setBytes(index, value.bytes);
    }
}

// A value as the operator reads it in a message.
std::string shownValue(const FieldDef& field, const FieldValue& value) {
    const std::string text(withoutBlanks(displayText(value)));
    if (text.empty()) {
        return "prázdné";
    }
    return field.type == FieldType::Text ? "„" + text + "“" : text;
}

}  // namespace

std::string RowWriter::writeText(const RowEdit& edit, const std::vector<int>& changed) const {
    const std::string table = quotedName(fields_.table());
    std::string text;
    if (edit.inserting && changed.empty()) {
        text = "INSERT INTO " + table + " DEFAULT VALUES";
    } else if (edit.inserting) {
        std::string names;
        std::string marks;
        for (int position : changed) {
            names += (names.empty() ? "" : ", ") + quotedName(fields_[position].name);
            marks += marks.empty() ? "?" : ", ?";
        }
        text = "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
    } else {
        // Another table may have written the row since it was read: the update finds it
        // only while each field being changed still holds what was read, Null included.
        std::string assignments;
        std::string checks;
        for (int position : changed) {
            const std::string name = quotedName(fields_[position].name);
            assignments += (assignments.empty() ? "" : ", ") + name + " = ?";
            checks += " AND " + name + " IS NOT DISTINCT FROM ?";
        }
        text = "UPDATE " + table + " SET " + assignments + " WHERE RDB$DB_KEY = ?" + checks;
    }
    return text + " RETURNING " + reader_.selectList("");
}

std::optional<StoredRow> RowWriter::write(const RowEdit& edit) const {
    std::vector<int> changed;
    std::vector<ColumnValue> values;
    for (int position = 0; position < fields_.size(); ++position) {
        if (edit.changed[position]) {
            changed.push_back(position);
            values.push_back(toColumn(fields_[position], edit.typed[position]));
        }
    }

    Transaction transaction(connection_, Transaction::Access::ReadWrite);
    std::optional<StoredRow> written;
    {
        PreparedStatement write(connection_, transaction, writeText(edit, changed));
        SqlValues& params = write.params();
        int index = 0;
        for (std::size_t i = 0; i < changed.size(); ++i) {
            bindColumn(params, index++, values[i], fields_[changed[i]].type);
        }
        if (!edit.inserting) {
            params.setBytes(index++, edit.key);
            for (int position : changed) {
                const FieldDef& field = fields_[position];
                bindColumn(params, index++, toColumn(field, edit.seen[position]), field.type);
            }
        }
        write.executeSingleton();
        if (edit.inserting || write.affectedRows() > 0) {
            written = reader_.rowFrom(write.columns());
        }
    }
    transaction.commit();
    return written;
}

void RowWriter::remove(const std::string& key) const {
    Transaction transaction(connection_, Transaction::Access::ReadWrite);
    {
        PreparedStatement remove(
            connection_, transaction,
            "DELETE FROM " + quotedName(fields_.table()) + " WHERE RDB$DB_KEY = ?");
        remove.params().setBytes(0, key);
        remove.execute();
    }
    transaction.commit();
}

// The first field names the team: its number in the preliminary round, its name in the
// finals.
std::string rowName(const std::vector<FieldValue>& values, int row) {
    const std::string team(withoutBlanks(displayText(values.front())));
    return team.empty() ? "Řádek " + std::to_string(row + 1) : "Řádek družstva " + team;
}

std::string conflictText(const FieldList& fields, const RowEdit& edit,
                         const std::vector<FieldValue>& stored, int row) {
    std::vector<int> named;
    std::vector<int> typed;
    for (int position = 0; position < fields.size(); ++position) {
        if (edit.changed[position]) {
            typed.push_back(position);
            if (stored[position] != edit.seen[position]) {
                named.push_back(position);
            }
        }
    }
    // The engine compares texts without their trailing blanks, where the values read may
    // still differ: a row that changed only so names every field typed.
    if (named.empty()) {
        named = typed;
    }
    std::string now;
    std::string yours;
    for (int position : named) {
        const FieldDef& field = fields[position];
        now += (now.empty() ? "" : ", ") + field.displayLabel + " je nyní " +
               shownValue(field, stored[position]) + " (vy jste viděli " +
               shownValue(field, edit.seen[position]) + ")";
        yours += (yours.empty() ? "" : ", ") + shownValue(field, edit.typed[position]);
    }
    const bool one = named.size() == 1;
    return rowName(edit.seen, row) + " mezitím změnil jiný stůl: " + now + "." +
           (one ? " Vaše hodnota " : " Vaše hodnoty ") + yours +
           (one ? " zůstává rozepsaná: Enter ji zapíše přes jejich, Esc ji zruší."
                : " zůstávají rozepsané: Enter je zapíše přes jejich, Esc je zruší.");
}

}  // namespace zlt::db
