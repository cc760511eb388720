#pragma once

#include <string>

#include "database/ResultSet.h"

namespace zlt::competition {

// Both rounds' rows as the database has committed them, for the views that must never show
// a row still being typed: the projector and the served pages. A change is read once
// whoever asks: by the re-read of the grids' rows after the other tables' commits, else by
// the first view that follows this program's own writes; the views after it share that read.
class CommittedRows {
public:
    // Read by the texts the rows of the grids are first opened with, so that their re-read
    // and this one can be the same read.
    CommittedRows(db::Connection& connection, std::string preliminarySql, std::string finalsSql);

    // The rows as last read; update() first for the database's rows as now.
    db::ResultSet& preliminary() { return preliminary_.rows; }
    db::ResultSet& finals() { return finals_.rows; }

    // Reads again the rows changed since they were last read (all of them at first). Throws
    // when the database cannot be read; rows not read stay as they were and stay changed.
    void update();
    // The database's rows may have changed: the next update reads them.
    void changed();
    // Re-reads the rows of a grid (db::ResultSet::reread) through this object's read of
    // their table when they are read by the same text; else, sorted by a title, they are
    // read by their own text too.
    void rereadWith(db::ResultSet& rows);

private:
    struct Table {
        db::ResultSet rows;
        bool changed = true;
    };

    void read(Table& table);
    Table& tableOf(const db::ResultSet& rows);

    Table preliminary_;
    Table finals_;
};

}  // namespace zlt::competition
