#include "tests/support/Database.h"

namespace zlt::test {

std::vector<std::vector<db::FieldValue>> storedRows(const std::filesystem::path& database,
                                                    const db::FieldList& fields,
                                                    const std::string& orderBy) {
    db::Connection connection("check");
    connection.setPath(database.string());
    db::ResultSet rows("check", connection, fields,
                       "SELECT * FROM " + fields.table() + " ORDER BY " + orderBy);
    rows.open();
    std::vector<std::vector<db::FieldValue>> result;
    for (int row = 0; row < rows.recordCount(); ++row) {
        std::vector<db::FieldValue> values;
        for (int position = 0; position < fields.size(); ++position) {
            values.push_back(rows.value(row, position));
        }
        result.push_back(std::move(values));
    }
    return result;
}

void execute(const std::filesystem::path& database, const std::string& sql) {
    db::Connection connection("check");
    connection.setPath(database.string());
    db::Statement("check", connection, sql).execute();
}

}  // namespace zlt::test
