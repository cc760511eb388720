// The journal's lines: time;change;table;row;field;before;after. An update gives one
// "úprava" line per field whose value changed. An insert gives a "nový řádek" line naming
// the new row's key, then an "úprava" line (before empty) for each other field it was
// written with, so that a replay inserts the row by its key and fills it like an edit.
// A delete gives one "smazání" line with the row's key only.
#include "competition/ChangeJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTimer>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

#include "competition/Csv.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"
#include "text/SystemError.h"
#include "text/TextFile.h"

namespace zlt::competition {
namespace {

constexpr const char* kHeader = "čas;změna;tabulka;řádek;pole;původně;nově\n";
constexpr const char* kTimeFormat = "yyyy-MM-dd'T'HH:mm:ss";
constexpr std::size_t kFieldsPerLine = 7;
constexpr std::chrono::milliseconds kSyncInterval{1000};
const std::string kUpdate = "úprava";
const std::string kInsert = "nový řádek";
const std::string kDelete = "smazání";

std::chrono::steady_clock::time_point now() {
    return std::chrono::steady_clock::now();
}

// The rows have no other key a person can read.
std::string keyField(const db::FieldList& fields) {
    return fields.table() == db::finalsFields().table() ? "DRUZSTVO" : "CISLO";
}

// Trailing blanks are padding, but a text of blanks only is the finals' blank team name,
// which must stay apart from Null.
std::string valueText(const db::FieldValue& value) {
    std::string text = db::displayText(value);
    const auto last = text.find_last_not_of(' ');
    if (last == std::string::npos) {
        return text.empty() ? text : " ";
    }
    text.erase(last + 1);
    return text;
}

std::string csvLine(const JournalEntry& entry) {
    const QDateTime time = entry.time.isValid() ? entry.time : QDateTime::currentDateTime();
    std::string line = time.toString(kTimeFormat).toStdString();
    for (const std::string* field :
         {&entry.change, &entry.table, &entry.row, &entry.field, &entry.before, &entry.after}) {
        line += ';' + csvField(*field, ';');
    }
    return line + '\n';
}

// The lines of one write.
std::string linesOf(const db::FieldList& fields, const db::RowWrite& write) {
    const int key = *fields.positionOf(keyField(fields));
    const bool inserting = write.kind == db::WriteKind::Insert;
    const auto& named = inserting ? write.after : write.before;
    JournalEntry entry{
        QDateTime::currentDateTime(), kDelete, fields.table(), valueText(named[key]), {}, {}, {}};
    if (write.kind == db::WriteKind::Delete) {
        return csvLine(entry);
    }
    std::string lines;
    if (inserting) {
        entry.change = kInsert;
        lines = csvLine(entry);
    }
    entry.change = kUpdate;
    // The key's own line comes last: a replay finds the row by the old key until then.
    std::vector<int> positions;
    for (int position = 0; position < fields.size(); ++position) {
        if (position != key) {
            positions.push_back(position);
        }
    }
    if (!inserting) {
        positions.push_back(key);
    }
    for (const int position : positions) {
        if (write.before[position] == write.after[position]) {
            continue;
        }
        entry.field = fields[position].name;
        entry.before = valueText(write.before[position]);
        entry.after = valueText(write.after[position]);
        lines += csvLine(entry);
    }
    return lines;
}

std::optional<JournalEntry> entryOf(const std::vector<std::string>& record) {
    if (record.size() != kFieldsPerLine) {
        return std::nullopt;
    }
    const QDateTime time = QDateTime::fromString(QString::fromStdString(record[0]), kTimeFormat);
    if (!time.isValid()) {
        return std::nullopt;  // the header, or a line a power cut left garbled
    }
    return JournalEntry{time, record[1], record[2], record[3], record[4], record[5], record[6]};
}

}  // namespace

ChangeJournal::ChangeJournal(std::filesystem::path file) : file_(std::move(file)) {}

ChangeJournal::~ChangeJournal() {
    for (db::ResultSet* rows : watched_) {
        rows->setWriteObserver({});
    }
    sync();
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void ChangeJournal::watch(db::ResultSet& rows) {
    rows.setWriteObserver([this, &rows](const db::RowWrite& write) { recordWrite(rows, write); });
    watched_.push_back(&rows);
}

void ChangeJournal::record(const JournalEntry& entry) {
    append(csvLine(entry));
}

void ChangeJournal::recordWrite(const db::ResultSet& rows, const db::RowWrite& write) {
    if (pauses_ > 0) {
        return;
    }
    if (holding_) {
        held_.push_back(linesOf(rows.fields(), write));
        return;
    }
    recordWrites(rows, {write});
}

void ChangeJournal::recordWrites(const db::ResultSet& rows,
                                 const std::vector<db::RowWrite>& writes) {
    emit rowsWritten();
    std::string lines;
    for (const db::RowWrite& write : writes) {
        lines += linesOf(rows.fields(), write);
    }
    if (!lines.empty()) {
        append(std::move(lines));
    }
}

void ChangeJournal::append(std::string lines) {
    pending_ += lines;
    writePending();
}

bool ChangeJournal::openFile(std::string& lead) {
    fd_ = ::open(file_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        setProblem(cannotWrite(errno));
        return false;
    }
    struct stat info {};
    char last = '\n';
    if (fstat(fd_, &info) == 0 && info.st_size == 0) {
        // Perhaps just made: its name must be on the disk before the lines synced into it
        // count, or a power cut takes the whole journal. Once per opening, never per line.
        try {
            text::syncFolder(file_.parent_path());
        } catch (const text::FileWriteError& error) {
            ::close(fd_);
            fd_ = -1;
            setProblem(cannotWrite(error.error()));
            return false;
        }
        lead = kHeader;
    } else if (pread(fd_, &last, 1, info.st_size - 1) == 1 && last != '\n') {
        // A line cut short before stays a line of its own. Assigned by count: GCC 12 at -O3
        // takes `= "\n"` for an overlapping copy (-Wrestrict).
        lead.assign(1, '\n');
    }
    return true;
}

// One write() for all the lines, so that a crash never leaves half a line but at the end.
void ChangeJournal::writePending() {
    std::string lead;
    if (fd_ < 0 && !openFile(lead)) {
        return;
    }
    const std::string out = lead + pending_;
    const ssize_t written = ::write(fd_, out.data(), out.size());
    if (written == static_cast<ssize_t>(out.size())) {
        pending_.clear();
        if (!syncFailed_) {
            setProblem({});
        }
        unsynced_ = true;
        syncSoon();
        emit recorded();
        return;
    }
    const int error = written < 0 ? errno : ENOSPC;
    // The lines the file got whole are done; one cut short is written again whole, after
    // the line end that reopening puts behind it.
    const auto kept = static_cast<ssize_t>(lead.size());
    if (written > kept) {
        pending_.erase(0, pending_.rfind('\n', static_cast<std::size_t>(written - kept - 1)) + 1);
    }
    ::close(fd_);
    fd_ = -1;
    setProblem(cannotWrite(error));
}

void ChangeJournal::syncSoon() {
    if (now() - lastSync_ >= kSyncInterval) {
        sync();
    } else if (!syncArmed_) {
        syncArmed_ = true;
        QTimer::singleShot(kSyncInterval, this, [this] {
            syncArmed_ = false;
            sync();
        });
    }
}

void ChangeJournal::sync() {
    if (!unsynced_ || fd_ < 0) {
        return;
    }
    if (::fdatasync(fd_) != 0) {
        syncFailed_ = true;
        setProblem(cannotWrite(errno));
        return;
    }
    unsynced_ = false;
    lastSync_ = now();
}

bool ChangeJournal::flush() {
    sync();
    return pending_.empty() && !unsynced_ && !syncFailed_;
}

QString ChangeJournal::cannotWrite(int error) const {
    return QStringLiteral("Deník změn %1 nelze zapsat: %2.")
        .arg(QString::fromStdString(file_.filename().string()),
             QString::fromStdString(text::systemErrorText(error)));
}

void ChangeJournal::setProblem(const QString& problem) {
    if (problem == problem_) {
        return;
    }
    problem_ = problem;
    emit problemChanged();
}

ChangeJournal::Pause::Pause(ChangeJournal& journal) : journal_(journal) {
    ++journal_.pauses_;
}

ChangeJournal::Pause::~Pause() {
    --journal_.pauses_;
}

ChangeJournal::Hold::Hold(ChangeJournal& journal) : journal_(journal) {
    journal_.holding_ = true;
    journal_.held_.clear();
}

ChangeJournal::Hold::~Hold() {
    journal_.holding_ = false;
    journal_.held_.clear();
}

void ChangeJournal::Hold::commit() {
    journal_.holding_ = false;
    for (std::string& lines : std::exchange(journal_.held_, {})) {
        emit journal_.rowsWritten();
        if (!lines.empty()) {
            journal_.append(std::move(lines));
        }
    }
}

std::vector<JournalEntry> ChangeJournal::entries() const {
    std::ifstream in(file_, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    std::vector<JournalEntry> entries;
    for (const auto& record : csvRecords(text, ';')) {
        if (auto entry = entryOf(record)) {
            entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

namespace {

db::FieldValue journalValue(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    return text;  // a number for an integer field is converted when the row is posted
}

std::optional<int> rowWithKey(const db::ResultSet& rows, const std::string& key) {
    const int position = rows.fieldPosition(keyField(rows.fields()));
    for (int row = 0; row < rows.recordCount(); ++row) {
        if (valueText(rows.value(row, position)) == key) {
            return row;
        }
    }
    return std::nullopt;
}

std::string rowName(const JournalEntry& entry) {
    const bool finals = entry.table == db::finalsFields().table();
    return "Řádek " + (finals ? "„" + entry.row + "“" : entry.row) + " tabulky " + entry.table;
}

// What the entry did, in the operator's words.
std::string changeText(const JournalEntry& entry, const db::ResultSet& rows) {
    if (entry.change != kUpdate) {
        return entry.change;
    }
    const auto position = rows.fields().positionOf(entry.field);
    return (position ? rows.fields()[*position].displayLabel : entry.field) + " = " + entry.after;
}

std::optional<std::string> replayEntry(const JournalEntry& entry, db::ResultSet& rows) {
    rows.open();
    if (entry.change == kInsert) {
        rows.append();
        rows.setField(keyField(rows.fields()), journalValue(entry.row));
        rows.post();
        return std::nullopt;
    }
    const auto row = rowWithKey(rows, entry.row);
    if (!row) {
        return rowName(entry) + " už neexistuje: " + changeText(entry, rows) + " nelze obnovit.";
    }
    rows.moveTo(*row);
    if (entry.change == kDelete) {
        rows.deleteRow();
        return std::nullopt;
    }
    rows.edit();
    rows.setField(entry.field, journalValue(entry.after));
    rows.post();
    return std::nullopt;
}

db::ResultSet* rowsOfTable(const std::string& table, db::ResultSet& preliminary,
                           db::ResultSet& finals) {
    for (db::ResultSet* rows : {&preliminary, &finals}) {
        if (rows->fields().table() == table) {
            return rows;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> replayEntries(const std::vector<JournalEntry>& entries,
                                       db::ResultSet& preliminary, db::ResultSet& finals) {
    std::vector<std::string> skipped;
    for (const JournalEntry& entry : entries) {
        db::ResultSet* rows = rowsOfTable(entry.table, preliminary, finals);
        if (rows == nullptr ||
            (entry.change != kUpdate && entry.change != kInsert && entry.change != kDelete)) {
            continue;
        }
        try {
            if (auto refused = replayEntry(entry, *rows)) {
                skipped.push_back(std::move(*refused));
            }
        } catch (const std::exception& error) {
            rows->cancel();
            skipped.push_back(rowName(entry) + ": " + changeText(entry, *rows) +
                              " nelze obnovit (" + error.what() + ").");
        }
    }
    return skipped;
}

}  // namespace zlt::competition
