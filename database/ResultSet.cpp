#include "database/ResultSet.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "database/DatabaseError.h"
#include "database/RowWriter.h"
#include "database/WriteConflict.h"

namespace zlt::db {

ResultSet::ResultSet(std::string name, Connection& connection, const FieldList& fields,
                     std::string sql)
    : name_(std::move(name)), connection_(connection), fields_(fields), sql_(std::move(sql)) {}

ResultSet::~ResultSet() {
    for (DataSource* source : sources_) {
        source->forget();
    }
}

void ResultSet::bind(DataSource* source) {
    sources_.push_back(source);
}

void ResultSet::unbind(DataSource* source) {
    std::erase(sources_, source);
}

void ResultSet::notify(DataEvent event) {
    for (DataSource* source : sources_) {
        source->notify(event);
    }
}

void ResultSet::requireActive() const {
    if (!active()) {
        throw DatabaseError(name_ + ": Cannot perform this operation on a closed dataset");
    }
}

void ResultSet::requireEditing() const {
    requireActive();
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) {
        throw DatabaseError(name_ + ": Dataset not in edit or insert mode");
    }
}

void ResultSet::setSql(std::string sql) {
    close();
    sql_ = std::move(sql);
}

RowReader ResultSet::reader() const {
    return RowReader(name_, connection_, fields_);
}

RowEdit ResultSet::pendingEdit() const {
    return {rows_[current_].key, state_ == DataSetState::Insert, buffer_, changed_, seen_};
}

void ResultSet::refuseConflict() {
    std::optional<StoredRow> stored = reader().readByKey(rows_[current_].key);
    if (!stored) {
        // The whole row as the operator sees it goes in anew, so that nothing is lost.
        rows_[current_] = StoredRow{{}, nullValues(fields_)};
        for (int position = 0; position < fields_.size(); ++position) {
            changed_[position] = !isNull(buffer_[position]);
        }
        state_ = DataSetState::Insert;
        notify(DataEvent::StateChanged);
        throw WriteConflict(rowName(seen_, current_) +
                            " mezitím smazal jiný stůl. Vaše hodnoty zůstávají rozepsané jako "
                            "nový řádek: Enter jej zapíše znovu, Esc jej zruší.");
    }
    const std::string text = conflictText(fields_, pendingEdit(), stored->values, current_);
    for (int position = 0; position < fields_.size(); ++position) {
        if (!changed_[position]) {
            buffer_[position] = stored->values[position];
        }
    }
    seen_ = stored->values;
    rows_[current_] = std::move(*stored);
    notify(DataEvent::RecordChanged);
    throw WriteConflict(text);
}

void ResultSet::open() {
    if (active()) {
        return;
    }
    rows_ = reader().readAll(sql_);
    current_ = rows_.empty() ? -1 : 0;
    state_ = DataSetState::Browse;
    notify(DataEvent::DataSetChanged);
}

void ResultSet::close() {
    if (!active()) {
        return;
    }
    rows_.clear();
    current_ = -1;
    finishEditing(DataSetState::Inactive);
}

void ResultSet::refresh() {
    requireActive();
    checkBrowseMode();
    reread();
}

int ResultSet::indexOfKey(const std::vector<StoredRow>& rows, const std::string& key) {
    const auto same = std::find_if(rows.begin(), rows.end(), [&](const StoredRow& row) {
        return !key.empty() && row.key == key;
    });
    return same == rows.end() ? -1 : static_cast<int>(same - rows.begin());
}

void ResultSet::reread() {
    requireActive();
    takeTypedText();
    takeRows(reader().readAll(sql_));
}

void ResultSet::rereadFrom(const ResultSet& read) {
    requireActive();
    read.requireActive();
    if (&read.fields_ != &fields_ || read.sql_ != sql_) {
        throw DatabaseError(name_ + ": rows read by " + read.name_ + " are of another text");
    }
    takeTypedText();
    takeRows(read.rows_);
}

void ResultSet::takeRows(std::vector<StoredRow> rows) {
    int at = current_ < 0 ? -1 : indexOfKey(rows, rows_[current_].key);
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) {
        at = keepRowBeingTyped(rows, at);
    } else if (at < 0 && !rows.empty()) {
        at = std::clamp(current_, 0, static_cast<int>(rows.size()) - 1);
    }
    rows_ = std::move(rows);
    current_ = at;
    notify(DataEvent::DataSetChanged);
}

// Found again, the row's fields not typed take the stored values, which are then what the
// operator saw; the fields typed keep what was read before, so that a post still notices
// what another table wrote into them. A new row, or one another table deleted, stays where
// it stood until it is posted.
int ResultSet::keepRowBeingTyped(std::vector<StoredRow>& rows, int at) {
    if (at < 0) {
        at = std::min(current_, static_cast<int>(rows.size()));
        rows.insert(rows.begin() + at, rows_[current_]);
        return at;
    }
    for (int position = 0; position < fields_.size(); ++position) {
        if (!changed_[position]) {
            buffer_[position] = rows[at].values[position];
            seen_[position] = rows[at].values[position];
        }
    }
    return at;
}

int ResultSet::recordCount() const {
    return static_cast<int>(rows_.size());
}

bool ResultSet::bof() const {
    return current_ <= 0;
}

bool ResultSet::eof() const {
    return current_ < 0 || current_ >= recordCount() - 1;
}

void ResultSet::setCurrent(int row) {
    if (row != current_) {
        current_ = row;
        notify(DataEvent::Scrolled);
    }
}

void ResultSet::first() {
    moveTo(0);
}

void ResultSet::last() {
    moveTo(recordCount() - 1);
}

void ResultSet::moveBy(int count) {
    moveTo(current_ + count);
}

void ResultSet::moveTo(int row) {
    requireActive();
    if (row == current_ || rows_.empty()) {
        return;
    }
    // An untouched new row is dropped on leaving it, and the rows below move up one.
    if (state_ == DataSetState::Insert && !modified_ && row > current_) {
        --row;
    }
    checkBrowseMode();
    if (!rows_.empty()) {
        setCurrent(std::clamp(row, 0, recordCount() - 1));
    }
}

const FieldValue& ResultSet::field(int position) const {
    requireActive();
    static const FieldValue null;
    if (position < 0 || position >= fields_.size()) {
        throw DatabaseError(name_ + ": Field index out of range");
    }
    return current_ < 0 ? null : value(current_, position);
}

const FieldValue& ResultSet::value(int row, int position) const {
    if (row == current_ && (state_ == DataSetState::Edit || state_ == DataSetState::Insert)) {
        return buffer_.at(position);
    }
    return rows_.at(row).values.at(position);
}

int ResultSet::fieldPosition(std::string_view name) const {
    const auto position = fields_.positionOf(name);
    if (!position) {
        throw DatabaseError(name_ + ": Field '" + std::string(name) + "' not found");
    }
    return *position;
}

void ResultSet::setField(std::string_view name, FieldValue value) {
    setField(fieldPosition(name), std::move(value));
}

void ResultSet::setField(int position, FieldValue value) {
    requireEditing();
    buffer_.at(position) = std::move(value);
    changed_[position] = true;
    modified_ = true;
    notify(DataEvent::RecordChanged);
}

void ResultSet::startEditing(DataSetState state, DataEvent event) {
    buffer_ = rows_[current_].values;
    seen_ = buffer_;
    changed_.assign(fields_.size(), false);
    modified_ = false;
    state_ = state;
    notify(event);
}

void ResultSet::finishEditing(DataSetState state) {
    buffer_.clear();
    modified_ = false;
    state_ = state;
    notify(DataEvent::DataSetChanged);
}

void ResultSet::removeCurrentRow() {
    rows_.erase(rows_.begin() + current_);
    current_ = rows_.empty() ? -1 : std::min(current_, recordCount() - 1);
}

void ResultSet::beginInsert(int row) {
    rows_.insert(rows_.begin() + row, StoredRow{{}, nullValues(fields_)});
    current_ = row;
    startEditing(DataSetState::Insert, DataEvent::DataSetChanged);
}

void ResultSet::insert() {
    requireActive();
    checkBrowseMode();
    beginInsert(std::max(current_, 0));
}

void ResultSet::append() {
    requireActive();
    checkBrowseMode();
    beginInsert(recordCount());
}

void ResultSet::edit() {
    requireActive();
    if (state_ != DataSetState::Browse) {
        return;
    }
    if (rows_.empty()) {
        beginInsert(0);
        return;
    }
    startEditing(DataSetState::Edit, DataEvent::StateChanged);
}

void ResultSet::post() {
    requireActive();
    if (state_ == DataSetState::Browse) {
        return;
    }
    takeTypedText();
    writePending();
}

void ResultSet::writePending() {
    if (state_ == DataSetState::Insert || modified_) {
        const WriteKind kind =
            state_ == DataSetState::Insert ? WriteKind::Insert : WriteKind::Update;
        std::optional<StoredRow> written =
            RowWriter(reader(), connection_, fields_).write(pendingEdit());
        if (!written) {
            refuseConflict();
        }
        // The placeholder of a new row holds only Nulls, which is what was before an insert.
        StoredRow previous = std::exchange(rows_[current_], std::move(*written));
        if (writeObserver_) {
            writeObserver_({kind, previous.values, rows_[current_].values});
        }
    }
    finishEditing(DataSetState::Browse);
}

void ResultSet::cancel() {
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) {
        return;
    }
    if (state_ == DataSetState::Insert) {
        removeCurrentRow();
    }
    finishEditing(DataSetState::Browse);
}

void ResultSet::takeTypedText() {
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) {
        notify(DataEvent::UpdateRecord);
    }
}

std::optional<PendingRow> ResultSet::pendingRow() {
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) {
        return std::nullopt;
    }
    takeTypedText();
    PendingRow row{
        fields_.table(), state_ == DataSetState::Insert ? std::string() : rows_[current_].key, {}};
    for (int position = 0; position < fields_.size(); ++position) {
        if (changed_[position]) {
            row.values.emplace_back(fields_[position].name, buffer_[position]);
        }
    }
    return row;
}

void ResultSet::resumeRow(const PendingRow& row) {
    requireActive();
    checkBrowseMode();
    const int same = indexOfKey(rows_, row.key);
    if (same < 0) {
        append();
    } else {
        moveTo(same);
        edit();
    }
    for (const auto& [name, value] : row.values) {
        setField(name, value);
    }
}

void ResultSet::checkBrowseMode() {
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) {
        return;
    }
    takeTypedText();
    if (modified_) {
        writePending();
    } else {
        cancel();
    }
}

void ResultSet::deleteRow() {
    requireActive();
    if (state_ == DataSetState::Insert) {
        cancel();
        return;
    }
    cancel();
    if (rows_.empty()) {
        throw DatabaseError(name_ + ": Cannot perform this operation on an empty dataset");
    }
    // By its key alone: the operator asked for this team's row to go, whatever another table
    // wrote into it meanwhile.
    RowWriter(reader(), connection_, fields_).remove(rows_[current_].key);
    if (writeObserver_) {
        writeObserver_({WriteKind::Delete, rows_[current_].values, nullValues(fields_)});
    }
    removeCurrentRow();
    notify(DataEvent::DataSetChanged);
}

}  // namespace zlt::db
