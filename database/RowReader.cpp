#include "database/RowReader.h"

#include <atomic>
#include <cctype>
#include <string_view>

#include "database/DatabaseError.h"
#include "database/PreparedStatement.h"
#include "database/Transaction.h"
#include "text/Win1250.h"

namespace zlt::db {
namespace {

const char* typeName(int sqlType) {
    switch (sqlType) {
        case SQL_SHORT:
        case SQL_LONG:
            return "Integer";
        case SQL_TEXT:
        case SQL_VARYING:
            return "Text";
        default:
            return "another type";
    }
}

// The rest of a text of the form "SELECT * <rest>" (any case and spacing), or nothing.
std::optional<std::string> afterSelectAll(const std::string& sql) {
    std::size_t at = sql.find_first_not_of(" \t\r\n");
    constexpr std::string_view keyword = "SELECT";
    if (at == std::string::npos || sql.size() < at + keyword.size()) {
        return std::nullopt;
    }
    for (char expected : keyword) {
        if (std::toupper(static_cast<unsigned char>(sql[at++])) != expected) {
            return std::nullopt;
        }
    }
    const std::size_t star = sql.find_first_not_of(" \t\r\n", at);
    if (star == at || star == std::string::npos || sql[star] != '*') {
        return std::nullopt;
    }
    const std::string rest = sql.substr(star + 1);
    if (!rest.empty() && !std::isspace(static_cast<unsigned char>(rest.front()))) {
        return std::nullopt;
    }
    return rest;
}

}  // namespace

std::vector<FieldValue> nullValues(const FieldList& fields) {
    return std::vector<FieldValue>(fields.size());
}

std::string quotedName(const std::string& identifier) {
    return "\"" + identifier + "\"";
}

std::string RowReader::selectList(const std::string& qualifier) const {
    std::string list = qualifier + "RDB$DB_KEY";
    for (const FieldDef& field : fields_) {
        list += ", " + qualifier + quotedName(field.name);
    }
    return list;
}

namespace {

std::atomic<long long> wholeReadCount = 0;

}  // namespace

long long RowReader::wholeReads() {
    return wholeReadCount;
}

std::vector<StoredRow> RowReader::readAll(const std::string& sql) const {
    const auto rest = afterSelectAll(sql);
    if (!rest) {
        throw DatabaseError(name_ + ": only a text of the form SELECT * FROM " + fields_.table() +
                            " can be opened");
    }
    const std::string text = "SELECT " + selectList(quotedName(fields_.table()) + ".") + *rest;

    Transaction transaction(connection_, Transaction::Access::ReadOnly);
    std::vector<StoredRow> rows;
    {
        PreparedStatement select(connection_, transaction, text::toWin1250(text));
        checkTypes(select.columns());
        select.execute();
        while (select.fetch()) {
            rows.push_back(rowFrom(select.columns()));
        }
    }
    transaction.commit();
    ++wholeReadCount;
    return rows;
}

void RowReader::checkTypes(const SqlValues& columns) const {
    for (int position = 0; position < fields_.size(); ++position) {
        const int type = columns.describedType(position + 1);
        const bool integer = type == SQL_SHORT || type == SQL_LONG;
        const bool text = type == SQL_TEXT || type == SQL_VARYING;
        const FieldDef& field = fields_[position];
        if ((field.type == FieldType::Integer &&
             !(integer && columns.var(position + 1).sqlscale == 0)) ||
            (field.type == FieldType::Text && !text)) {
            throw DatabaseError(
                name_ + ": Type mismatch for field '" + field.name +
                "', expecting: " + (field.type == FieldType::Integer ? "Integer" : "Text") +
                " actual: " + typeName(type));
        }
    }
}

StoredRow RowReader::rowFrom(const SqlValues& columns) const {
    StoredRow row{std::string(columns.bytes(0)), nullValues(fields_)};
    for (int position = 0; position < fields_.size(); ++position) {
        const int index = position + 1;
        if (columns.isNull(index)) {
            continue;
        }
        if (fields_[position].type == FieldType::Integer) {
            row.values[position] = columns.integer(index);
            continue;
        }
        std::string_view bytes = columns.bytes(index);
        if (columns.describedType(index) == SQL_TEXT) {
            // CHAR columns come back padded to their length; the padding is not the value.
            bytes = bytes.substr(0, bytes.find_last_not_of(' ') + 1);
        }
        row.values[position] = text::fromWin1250(bytes);
    }
    return row;
}

std::optional<StoredRow> RowReader::readByKey(const std::string& key) const {
    Transaction transaction(connection_, Transaction::Access::ReadOnly);
    std::optional<StoredRow> row;
    {
        PreparedStatement select(connection_, transaction,
                                 "SELECT " + selectList("") + " FROM " +
                                     quotedName(fields_.table()) + " WHERE RDB$DB_KEY = ?");
        select.params().setBytes(0, key);
        select.execute();
        if (select.fetch()) {
            row = rowFrom(select.columns());
        }
    }
    transaction.commit();
    return row;
}

}  // namespace zlt::db
