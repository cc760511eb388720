#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace zlt::db {
class ResultSet;
struct RowWrite;
}  // namespace zlt::db

namespace zlt::competition {

// One line of the journal.
struct JournalEntry {
    QDateTime time;      // local time, to the second
    std::string change;  // "úprava", "nový řádek", "smazání", "vymazání databáze", "obnova"
    std::string table;   // DATAZLT or DATAZLTF; empty for the whole database
    std::string row;     // the row's CISLO, or the team name in the finals; empty for none
    std::string field;   // empty for a whole row
    std::string before;  // the value before, empty for Null
    std::string after;
};

// The change journal "zmeny.csv" in the event folder: one line for every value the
// program writes, UTF-8 with a header line and semicolons. Lines are flushed at once and
// synced to disk at least once a second while writes happen.
// A journal that cannot be written never stops a write: it is told through problem().
// An insert is recorded as a "nový řádek" line with the new row's key and then one
// "úprava" line for each other field it was written with.
class ChangeJournal : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kFile = "zmeny.csv";

    explicit ChangeJournal(std::filesystem::path file);
    ~ChangeJournal() override;

    // Records every post, insert and delete of these rows from now on. The rows must
    // outlive the journal, which takes its observer back when it goes.
    void watch(db::ResultSet& rows);
    void record(const JournalEntry& entry);
    // Records writes made to the rows while the journal was paused, once they were
    // committed together, with the lines they would have had one by one; tells of them
    // by one rowsWritten.
    void recordWrites(const db::ResultSet& rows, const std::vector<db::RowWrite>& writes);
    // While a pause lives, the watched rows' writes are not recorded one by one (the
    // reset, a replay, a restore record one line of their own).
    class Pause {
    public:
        explicit Pause(ChangeJournal& journal);
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        ChangeJournal& journal_;
    };
    // While a hold lives, the watched rows' writes wait with their lines: the transaction
    // they belong to may still be rolled back. commit(), called once it was committed,
    // records them as they would have been recorded one by one; a hold ended without it
    // forgets them, so that the journal never names a value the database does not hold.
    class Hold {
    public:
        explicit Hold(ChangeJournal& journal);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        void commit();

    private:
        ChangeJournal& journal_;
    };

    // Syncs the lines written so far now. Returns whether every line recorded since the
    // journal was made is on the disk: false when one could not be written, or a sync
    // failed (the system may then have dropped lines it had taken).
    bool flush();

    // Every entry, oldest first; a last line cut short by a power failure is left out.
    std::vector<JournalEntry> entries() const;

    const QString& problem() const { return problem_; }

signals:
    // A watched write happened, whether or not its lines could be written.
    void rowsWritten();
    // Lines reached the file.
    void recorded();
    void problemChanged();

private:
    void recordWrite(const db::ResultSet& rows, const db::RowWrite& write);
    void append(std::string lines);
    bool openFile(std::string& lead);
    void writePending();
    void syncSoon();
    void sync();
    QString cannotWrite(int error) const;
    void setProblem(const QString& problem);

    std::filesystem::path file_;
    int fd_ = -1;
    // Lines not yet in the file: those a failed write left, written with the next line.
    std::string pending_;
    bool unsynced_ = false;
    // A failed sync may have lost lines the file had taken; a later sync succeeding does
    // not bring them back, so the problem stays told.
    bool syncFailed_ = false;
    bool syncArmed_ = false;
    std::chrono::steady_clock::time_point lastSync_;
    int pauses_ = 0;
    bool holding_ = false;
    std::vector<std::string> held_;  // the lines of each write kept back by a hold
    std::vector<db::ResultSet*> watched_;
    QString problem_;
};

// Applies the entries' new values, in order, to the rows (found by CISLO, or by the team
// name in the finals), inserting and deleting rows as the entries say. An entry whose row
// no longer exists is skipped; what was skipped comes back in words.
std::vector<std::string> replayEntries(const std::vector<JournalEntry>& entries,
                                       db::ResultSet& preliminary, db::ResultSet& finals);

}  // namespace zlt::competition
