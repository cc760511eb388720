#include "competition/CommittedRows.h"

#include <utility>

#include "database/FieldList.h"

namespace zlt::competition {

CommittedRows::CommittedRows(db::Connection& connection, std::string preliminarySql,
                             std::string finalsSql)
    : preliminary_{{"WebPredkolo", connection, db::preliminaryFields(), std::move(preliminarySql)}},
      finals_{{"WebFinale", connection, db::finalsFields(), std::move(finalsSql)}} {}

void CommittedRows::update() {
    for (Table* table : {&preliminary_, &finals_}) {
        if (table->changed) {
            read(*table);
        }
    }
}

void CommittedRows::changed() {
    preliminary_.changed = true;
    finals_.changed = true;
}

void CommittedRows::read(Table& table) {
    if (table.rows.active()) {
        table.rows.reread();
    } else {
        table.rows.open();
    }
    table.changed = false;
}

CommittedRows::Table& CommittedRows::tableOf(const db::ResultSet& rows) {
    return &rows.fields() == &db::finalsFields() ? finals_ : preliminary_;
}

void CommittedRows::rereadWith(db::ResultSet& rows) {
    Table& table = tableOf(rows);
    if (rows.sql() != table.rows.sql()) {
        table.changed = true;
        rows.reread();
        return;
    }
    read(table);
    rows.rereadFrom(table.rows);
}

}  // namespace zlt::competition
