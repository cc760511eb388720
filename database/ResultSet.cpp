#include "database/ResultSet.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <optional>
#include <utility>

#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/PreparedStatement.h"
#include "database/Transaction.h"
#include "database/WriteConflict.h"
#include "platform/Win1250.h"

namespace zlt::db {
namespace {

std::string quoted(const std::string& identifier) {
    return "\"" + identifier + "\"";
}

// The field list as a select list, the row key first.
std::string columnList(const FieldList& fields, const std::string& qualifier) {
    std::string list = qualifier + "RDB$DB_KEY";
    for (const FieldDef& field : fields) {
        list += ", " + qualifier + quoted(field.name);
    }
    return list;
}

std::vector<FieldValue> nullRow(const FieldList& fields) {
    return std::vector<FieldValue>(fields.size());
}

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
        column.bytes = platform::toWin1250(text);
    } catch (const platform::EncodingError& error) {
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

// A value as the operator reads it in a message.
std::string shownValue(const FieldDef& field, const FieldValue& value) {
    const std::string text(withoutBlanks(displayText(value)));
    if (text.empty()) {
        return "prázdné";
    }
    return field.type == FieldType::Text ? "„" + text + "“" : text;
}

// The first field names the team: its number in the preliminary round, its name in the
// finals.
std::string rowName(const std::vector<FieldValue>& values, int row) {
    const std::string team(withoutBlanks(displayText(values.front())));
    return team.empty() ? "Řádek " + std::to_string(row + 1) : "Řádek družstva " + team;
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

std::vector<ResultSet::Row> ResultSet::readAll() {
    const auto rest = afterSelectAll(sql_);
    if (!rest) {
        throw DatabaseError(name_ + ": only a text of the form SELECT * FROM " + fields_.table() +
                            " can be opened");
    }
    const std::string text = "SELECT " + columnList(fields_, quoted(fields_.table()) + ".") + *rest;

    Transaction transaction(connection_, Transaction::Access::ReadOnly);
    std::vector<Row> rows;
    {
        PreparedStatement select(connection_, transaction, platform::toWin1250(text));
        SqlValues& columns = select.columns();
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
        select.execute();
        while (select.fetch()) {
            rows.push_back(readRow(columns));
        }
    }
    transaction.commit();
    return rows;
}

ResultSet::Row ResultSet::readRow(const SqlValues& columns) const {
    Row row{std::string(columns.bytes(0)), nullRow(fields_)};
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
        row.values[position] = platform::fromWin1250(bytes);
    }
    return row;
}

std::optional<ResultSet::Row> ResultSet::readCurrentRow() {
    Transaction transaction(connection_, Transaction::Access::ReadOnly);
    std::optional<Row> row;
    {
        PreparedStatement select(connection_, transaction,
                                 "SELECT " + columnList(fields_, "") + " FROM " +
                                     quoted(fields_.table()) + " WHERE RDB$DB_KEY = ?");
        select.params().setBytes(0, rows_[current_].key);
        select.execute();
        if (select.fetch()) {
            row = readRow(select.columns());
        }
    }
    transaction.commit();
    return row;
}

std::optional<ResultSet::Row> ResultSet::writeRow() {
    std::vector<int> changed;
    std::vector<ColumnValue> values;
    for (int position = 0; position < fields_.size(); ++position) {
        if (changed_[position]) {
            changed.push_back(position);
            values.push_back(toColumn(fields_[position], buffer_[position]));
        }
    }

    const bool inserting = state_ == DataSetState::Insert;
    std::string text;
    if (inserting && changed.empty()) {
        text = "INSERT INTO " + quoted(fields_.table()) + " DEFAULT VALUES";
    } else if (inserting) {
        std::string names;
        std::string marks;
        for (int position : changed) {
            names += (names.empty() ? "" : ", ") + quoted(fields_[position].name);
            marks += marks.empty() ? "?" : ", ?";
        }
        text = "INSERT INTO " + quoted(fields_.table()) + " (" + names + ") VALUES (" + marks + ")";
    } else {
        // Another table may have written the row since it was read: the update finds it
        // only while each field being changed still holds what was read, Null included.
        std::string assignments;
        std::string checks;
        for (int position : changed) {
            const std::string name = quoted(fields_[position].name);
            assignments += (assignments.empty() ? "" : ", ") + name + " = ?";
            checks += " AND " + name + " IS NOT DISTINCT FROM ?";
        }
        text = "UPDATE " + quoted(fields_.table()) + " SET " + assignments +
               " WHERE RDB$DB_KEY = ?" + checks;
    }
    text += " RETURNING " + columnList(fields_, "");

    Transaction transaction(connection_, Transaction::Access::ReadWrite);
    std::optional<Row> written;
    {
        PreparedStatement write(connection_, transaction, text);
        SqlValues& params = write.params();
        int index = 0;
        for (std::size_t i = 0; i < changed.size(); ++i) {
            bindColumn(params, index++, values[i], fields_[changed[i]].type);
        }
        if (!inserting) {
            params.setBytes(index++, rows_[current_].key);
            for (int position : changed) {
                const FieldDef& field = fields_[position];
                bindColumn(params, index++, toColumn(field, seen_[position]), field.type);
            }
        }
        write.executeSingleton();
        if (inserting || write.affectedRows() > 0) {
            written = readRow(write.columns());
        }
    }
    transaction.commit();
    return written;
}

void ResultSet::refuseConflict() {
    std::optional<Row> stored = readCurrentRow();
    if (!stored) {
        // The whole row as the operator sees it goes in anew, so that nothing is lost.
        rows_[current_] = Row{{}, nullRow(fields_)};
        for (int position = 0; position < fields_.size(); ++position) {
            changed_[position] = !isNull(buffer_[position]);
        }
        state_ = DataSetState::Insert;
        notify(DataEvent::StateChanged);
        throw WriteConflict(rowName(seen_, current_) +
                            " mezitím smazal jiný stůl. Vaše hodnoty zůstávají rozepsané jako "
                            "nový řádek: Enter jej zapíše znovu, Esc jej zruší.");
    }
    const std::string text = conflictText(stored->values);
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

std::string ResultSet::conflictText(const std::vector<FieldValue>& stored) const {
    std::vector<int> named;
    std::vector<int> typed;
    for (int position = 0; position < fields_.size(); ++position) {
        if (changed_[position]) {
            typed.push_back(position);
            if (stored[position] != seen_[position]) {
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
        const FieldDef& field = fields_[position];
        now += (now.empty() ? "" : ", ") + field.displayLabel + " je nyní " +
               shownValue(field, stored[position]) + " (vy jste viděli " +
               shownValue(field, seen_[position]) + ")";
        yours += (yours.empty() ? "" : ", ") + shownValue(field, buffer_[position]);
    }
    const bool one = named.size() == 1;
    return rowName(seen_, current_) + " mezitím změnil jiný stůl: " + now + "." +
           (one ? " Vaše hodnota " : " Vaše hodnoty ") + yours +
           (one ? " zůstává rozepsaná: Enter ji zapíše přes jejich, Esc ji zruší."
                : " zůstávají rozepsané: Enter je zapíše přes jejich, Esc je zruší.");
}

void ResultSet::open() {
    if (active()) {
        return;
    }
    rows_ = readAll();
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

int ResultSet::indexOfKey(const std::vector<Row>& rows, const std::string& key) {
    const auto same = std::find_if(rows.begin(), rows.end(),
                                   [&](const Row& row) { return !key.empty() && row.key == key; });
    return same == rows.end() ? -1 : static_cast<int>(same - rows.begin());
}

void ResultSet::reread() {
    requireActive();
    takeTypedText();
    std::vector<Row> rows = readAll();
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
int ResultSet::keepRowBeingTyped(std::vector<Row>& rows, int at) {
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
    rows_.insert(rows_.begin() + row, Row{{}, nullRow(fields_)});
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
        std::optional<Row> written = writeRow();
        if (!written) {
            refuseConflict();
        }
        // The placeholder of a new row holds only Nulls, which is what was before an insert.
        Row previous = std::exchange(rows_[current_], std::move(*written));
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
    Transaction transaction(connection_, Transaction::Access::ReadWrite);
    {
        PreparedStatement remove(
            connection_, transaction,
            "DELETE FROM " + quoted(fields_.table()) + " WHERE RDB$DB_KEY = ?");
        remove.params().setBytes(0, rows_[current_].key);
        remove.execute();
    }
    transaction.commit();
    if (writeObserver_) {
        writeObserver_({WriteKind::Delete, rows_[current_].values, nullRow(fields_)});
    }
    removeCurrentRow();
    notify(DataEvent::DataSetChanged);
}

}  // namespace zlt::db
