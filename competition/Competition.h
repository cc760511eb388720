#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "competition/Backups.h"
#include "competition/ChangeJournal.h"
#include "competition/CommittedRows.h"
#include "competition/DatabaseAccess.h"
#include "competition/EventDetails.h"
#include "competition/FinalsMode.h"
#include "competition/LiveChanges.h"
#include "competition/LiveCheck.h"
#include "competition/LostDatabase.h"
#include "competition/Placings.h"
#include "competition/Ranking.h"
#include "competition/TeamImport.h"
#include "database/Connection.h"
#include "database/EventListener.h"
#include "database/ResultSet.h"
#include "database/Statement.h"

namespace zlt::competition {

// The competition as the program holds it: the one connection to the event's database,
// the result sets of both rounds with their delete statements, the event's details, and
// the copies and the change journal that keep what was typed.
// Made once at start-up, before the first window; the windows and sheets work on what it
// owns and through its operations, so that none of them needs another window.
class Competition {
public:
    // The database at the location given; without one, the server location kept for the
    // event folder (the working directory), else the folder's own database file.
    explicit Competition(std::string databaseLocation = {});
    Competition(const Competition&) = delete;
    Competition& operator=(const Competition&) = delete;

    db::Connection& connection() { return connection_; }
    // The database in use: the file's path, or the server location.
    const std::string& databaseLocation() const { return location_; }
    db::ResultSet& preliminary() { return preliminary_; }
    db::ResultSet& finals() { return finals_; }
    db::Statement& deletePreliminary() { return deletePreliminary_; }
    db::Statement& deleteFinals() { return deleteFinals_; }
    EventDetails& details() { return details_; }
    Backups& backups() { return backups_; }
    ChangeJournal& journal() { return journal_; }
    LiveChanges& live() { return live_; }
    // Both rounds' rows as committed, read once per change for every view that follows them.
    CommittedRows& committed() { return committed_; }
    LostDatabase& lostDatabase() { return lostDatabase_; }
    // Whether this run may write the database: another program holding the file or a file
    // this user may not write is found when the rows are opened.
    const DatabaseAccess& access() const { return access_; }
    // The disciplines' choices and the findings of both rounds, kept up to date.
    LiveCheck& check() { return check_; }
    // The finals mode the finals window's radio buttons choose, for this run.
    FinalsModeChoice& finalsMode() { return finalsMode_; }
    std::vector<db::ResultSet*> resultSets() { return {&preliminary_, &finals_}; }

    // Attaches the database by opening the preliminary rows, once a copy that an earlier run
    // left unfinished is mended (Backups::mendInterruptedCopy); the run's first copy follows
    // as soon as the event loop turns. On a database server it then listens for the other
    // tables' commits, and when the server is lost it keeps trying to get it back.
    void openPreliminary();
    void openFinals();

    // The Enter recomputation of the current row's total, by the rule of the rows' table.
    void recomputeTotal(db::ResultSet& rows);
    // The title-click sort of both grids: a row still being typed is written first (if
    // that fails nothing changes); then the shared direction flips, and the rows re-open
    // ordered by the column's field: ascending when the flip made it true.
    void sortByTitle(db::ResultSet& rows, int column);
    // Both take a copy first, so that either can be undone.
    void mergeFinalsIntoStandings();
    void resetDatabase();
    // Writes a row still being typed in either round.
    void writePendingRows();
    // Stops listening for the other tables and detaches the database, for an ending that
    // leaves no time to destroy the windows: the client library is torn down with the
    // process, and nothing of this object may call into it after that.
    void closeDatabase() noexcept;
    // Reads both rounds' rows again after other tables' commits, writing nothing: a row
    // being typed keeps what was typed (db::ResultSet::reread). Rows not open stay closed.
    // The committed rows are the same read. live() calls it when told of the other tables'
    // commits.
    void rereadRows();

    // The ranks and the team import are previewed first (proposeRanks, planImport) and
    // then written here: all of the lines in one transaction or none of them, journalled
    // once committed, and shown in the rows at once. A refusal leaves the rows as stored.
    // Lines that would change nothing are not written. An import holding a name the team
    // name field cannot hold, which planImport warns of, is refused whole before anything
    // is written, naming its line; so is one that would append rows past kMostTeams.
    void writeRanks(db::ResultSet& rows, const std::vector<RankLine>& lines);
    void writeImport(db::ResultSet& rows, const std::vector<ImportLine>& lines);
    // The placings of the plan's discipline, with the total of every row whose placing
    // changed recomputed as Enter computes it, in one transaction, journalled once
    // committed. A plan that is not writable is refused (Refusal, its refusal()) before
    // anything is written; so are rows moved or renamed since the plan was made. A row
    // being typed is written first, as for the ranks.
    void writePlacings(db::ResultSet& rows, const PlacingPlan& plan);

    // Puts the copy in the database's place and reopens both rounds' rows. A copy that
    // fails its proof is refused (BrokenCopy) before anything changes: the rows stay open
    // as they are and the journal gets no line. Returns the journal's changes made since
    // the copy was taken, for replay.
    std::vector<JournalEntry> restore(const BackupCopy& copy);
    // The event's database file was deleted or moved while open: saves a copy of it as
    // kDatabaseFile in the folder and makes that copy the event's database, so that later
    // writes last. Both rounds' rows are read from it, a row being typed keeps what was
    // typed, and a copy of it goes into the event folder's copies too. A copy that cannot
    // be saved throws and changes nothing: writes stay refused. Returns the copy's path.
    std::filesystem::path moveLostDatabase(const std::filesystem::path& folder);

    // Makes the changes again; returns what could not be made, in words.
    std::vector<std::string> replay(const std::vector<JournalEntry>& changes);

    // The sort direction shared by both grids.
    bool Sestupne = false;

private:
    void listenToOtherTables();
    void recordWholeChange(const JournalEntry& entry);
    void reconnect();
    // Opens the rows; a refusal that says the database cannot be written here is kept in
    // access_ before it goes on to the caller.
    void openRows(db::ResultSet& rows);

    // Why the location the folder keeps cannot be read; the database is not opened then.
    std::string locationProblem_;
    std::string location_;
    db::Connection connection_;
    db::ResultSet preliminary_;
    db::ResultSet finals_;
    CommittedRows committed_;
    db::Statement deletePreliminary_;
    db::Statement deleteFinals_;
    EventDetails details_;
    Backups backups_;
    ChangeJournal journal_;
    LiveChanges live_;
    LostDatabase lostDatabase_;
    DatabaseAccess access_;
    LiveCheck check_;
    FinalsModeChoice finalsMode_;
    // Made last and so gone first: it calls into live_ from the client library's thread.
    std::unique_ptr<db::EventListener> listener_;
};

}  // namespace zlt::competition
