#pragma once

#include <optional>
#include <string>
#include <vector>

#include "database/FieldList.h"
#include "database/FieldValue.h"

namespace zlt::db {

class Connection;
class SqlValues;

// A row as the table holds it.
struct StoredRow {
    std::string key;  // RDB$DB_KEY; empty for a row not yet written
    std::vector<FieldValue> values;
};

// Every field Null: a row before an insert or after a delete.
std::vector<FieldValue> nullValues(const FieldList& fields);

std::string quotedName(const std::string& identifier);

// Reads a table's rows as a fixed field list, whatever else the table holds, each read in
// its own short read-only transaction. The name is the result set's, for its messages.
class RowReader {
public:
    RowReader(const std::string& name, Connection& connection, const FieldList& fields)
        : name_(name), connection_(connection), fields_(fields) {}

    // The rows of a text "SELECT * FROM <table> [...]", the star read as the field list;
    // a column of another type than its field refuses the whole read.
    std::vector<StoredRow> readAll(const std::string& sql) const;
    // How many times this process has read a table's rows whole: what the views that follow
    // the commits cost the database.
    static long long wholeReads();
    // The row as now stored; none when it was deleted.
    std::optional<StoredRow> readByKey(const std::string& key) const;

    // The field list as a select list, the row key first, as rowFrom reads it.
    std::string selectList(const std::string& qualifier) const;
    StoredRow rowFrom(const SqlValues& columns) const;

private:
    void checkTypes(const SqlValues& columns) const;

    const std::string& name_;
    Connection& connection_;
    const FieldList& fields_;
};

}  // namespace zlt::db
