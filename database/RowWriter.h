#pragma once

#include <optional>
#include <string>
#include <vector>

#include "database/RowReader.h"

namespace zlt::db {

// A row being typed, as a write and a refused write's message read it.
struct RowEdit {
    const std::string& key;  // empty while inserting
    bool inserting;
    const std::vector<FieldValue>& typed;
    const std::vector<bool>& changed;     // which fields were typed
    const std::vector<FieldValue>& seen;  // the values read, which a write expects to find
};

// Writes rows of one table, each write in its own transaction, committed.
class RowWriter {
public:
    RowWriter(const RowReader& reader, Connection& connection, const FieldList& fields)
        : reader_(reader), connection_(connection), fields_(fields) {}

    // Writes only the changed fields, and only while each still holds the value read, so
    // that what another table wrote meanwhile is never overwritten unseen. A value the
    // column cannot hold refuses the write, naming the field, before anything is sent.
    // The row as stored, or none when it no longer holds what was read (or is gone).
    std::optional<StoredRow> write(const RowEdit& edit) const;
    void remove(const std::string& key) const;

private:
    std::string writeText(const RowEdit& edit, const std::vector<int>& changed) const;

    const RowReader& reader_;
    Connection& connection_;
    const FieldList& fields_;
};

// The team a row belongs to as the operator names it in a message; row counts from 0.
std::string rowName(const std::vector<FieldValue>& values, int row);

// Why a write was refused: the fields another table changed, now and as seen, and what
// becomes of the values typed.
std::string conflictText(const FieldList& fields, const RowEdit& edit,
                         const std::vector<FieldValue>& stored, int row);

}  // namespace zlt::db
