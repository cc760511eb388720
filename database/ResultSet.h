#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/DataSource.h"
#include "database/FieldList.h"
#include "database/FieldValue.h"
#include "database/PendingRow.h"
#include "database/RowReader.h"

namespace zlt::db {

class Connection;
struct RowEdit;

enum class DataSetState { Inactive, Browse, Edit, Insert };

enum class WriteKind { Update, Insert, Delete };

// A row written to the table. Before an insert and after a delete every value is Null.
struct RowWrite {
    WriteKind kind;
    const std::vector<FieldValue>& before;
    const std::vector<FieldValue>& after;
};

// Told of each row a result set has written, so that a journal can record the writes
// without this layer knowing of it. It must not throw: the write is already done.
using WriteObserver = std::function<void(const RowWrite&)>;

// A live, updatable result over one table (IBOQuery1, IBOQueryF). Opening reads all rows
// into memory in one short transaction, so the count is exact and no transaction stays
// open; each post, delete and refresh talks to the database at once and commits.
// Other programs may write the same table meanwhile: a post changes only the fields typed,
// and only while they still hold what was read (see post).
//
// It always presents exactly its fixed field list, in that order, whatever else the
// table holds. A text is valid only as "SELECT * FROM <table> [...]"; the star is read as
// that list.
class ResultSet {
public:
    ResultSet(std::string name, Connection& connection, const FieldList& fields,
              std::string sql = {});
    ~ResultSet();
    ResultSet(const ResultSet&) = delete;
    ResultSet& operator=(const ResultSet&) = delete;

    const std::string& name() const { return name_; }
    const FieldList& fields() const { return fields_; }
    Connection& connection() const { return connection_; }

    const std::string& sql() const { return sql_; }
    // Replacing the text closes an open result set; the next open runs the new text.
    void setSql(std::string sql);

    void open();
    void close();
    bool active() const { return state_ != DataSetState::Inactive; }
    // Throws the closed-dataset error unless the result set is open.
    void requireActive() const;
    DataSetState state() const { return state_; }
    // Finishes a pending row (posted if changed, else dropped), re-reads every row with the
    // current text and keeps the same row current.
    void refresh();
    // Reads every row again as now committed, after another program wrote the table, and
    // writes nothing: the current row stays current (the same row by its key, else the same
    // place), and a row being typed keeps its typed fields while its others show the new
    // stored values. Text still in a cell editor is taken into the row first.
    void reread();
    // The same from the rows another result set over the same table and text has just
    // read, so that one read serves both.
    void rereadFrom(const ResultSet& read);

    int recordCount() const;
    int recNo() const { return current_; }  // index of the current row, -1 when none
    bool isEmpty() const { return rows_.empty(); }
    bool bof() const;  // the current row is the first one, or there are none
    bool eof() const;  // the current row is the last one, or there are none

    // Moving to another row first posts the pending row if it changed, else drops it.
    void first();
    void last();
    void next() { moveBy(1); }
    void prior() { moveBy(-1); }
    void moveBy(int count);
    void moveTo(int row);

    // Values of the current row; while editing or inserting, the values being typed.
    const FieldValue& field(int position) const;
    const FieldValue& value(int row, int position) const;
    // The value as last read or written, also in the row being typed over.
    const FieldValue& storedValue(int row, int position) const {
        return rows_.at(row).values.at(position);
    }
    int fieldPosition(std::string_view name) const;
    // Only while editing or inserting. A text may be given for an integer field: it is
    // checked when the row is posted.
    void setField(std::string_view name, FieldValue value);
    void setField(int position, FieldValue value);
    bool modified() const { return modified_; }

    void insert();  // a new empty row above the current one
    void append();  // a new empty row after the last one
    void edit();    // on a result set without rows this starts a new row instead
    // Writes the pending row and commits. A value the column cannot hold refuses the post
    // with a message naming the field; on any failure the row stays in its state.
    // Only the changed fields are written, and only while each still holds the value read.
    // When another program changed one of them meanwhile, the post is refused with a
    // WriteConflict naming the values; the row stays being typed, and what the other
    // program stored becomes the value read, so that posting again overwrites it. A row
    // another program deleted becomes a new row holding the values typed.
    void post();
    void cancel();
    void deleteRow();
    // Posts the pending row when it changed, else drops it.
    void checkBrowseMode();
    // Asks the views for text still being typed into the pending row, so that its values
    // can be read before it is written.
    void takeTypedText();

    // The one observer of this result set's writes, told after each post or delete has
    // been committed (inside Transaction::together: once the row is written); an empty
    // one removes it.
    void setWriteObserver(WriteObserver observer) { writeObserver_ = std::move(observer); }

    // The row being edited or inserted with its changed values, to be kept when it cannot
    // be written; none while browsing.
    std::optional<PendingRow> pendingRow();
    // Puts a kept row back into edit: the same row, found by its key, or a new row when
    // it was being inserted or no longer exists. Not written until posted.
    void resumeRow(const PendingRow& row);

private:
    friend class DataSource;

    void bind(DataSource* source);
    void unbind(DataSource* source);
    void notify(DataEvent event);
    void requireEditing() const;
    void beginInsert(int row);
    void startEditing(DataSetState state, DataEvent event);
    void finishEditing(DataSetState state);
    void removeCurrentRow();
    void setCurrent(int row);
    RowReader reader() const;
    RowEdit pendingEdit() const;
    void writePending();
    [[noreturn]] void refuseConflict();
    void takeRows(std::vector<StoredRow> rows);
    int keepRowBeingTyped(std::vector<StoredRow>& rows, int at);
    static int indexOfKey(const std::vector<StoredRow>& rows, const std::string& key);

    std::string name_;
    Connection& connection_;
    const FieldList& fields_;
    std::string sql_;
    DataSetState state_ = DataSetState::Inactive;
    std::vector<StoredRow> rows_;
    int current_ = -1;
    std::vector<FieldValue> buffer_;  // the row being edited or inserted
    std::vector<bool> changed_;       // which of its fields were set
    std::vector<FieldValue> seen_;    // its values as read, which a post expects to find
    bool modified_ = false;
    std::vector<DataSource*> sources_;
    WriteObserver writeObserver_;
};

}  // namespace zlt::db
