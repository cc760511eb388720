#include "competition/Competition.h"

#include <filesystem>

#include "competition/DatabaseReset.h"
#include "competition/EventFiles.h"
#include "competition/Scoring.h"
#include "competition/StandingsMerge.h"
#include "database/FieldList.h"

namespace zlt::competition {

Competition::Competition()
    : preliminary_("IBOQuery1", connection_, db::preliminaryFields(), "SELECT *  FROM DATAZLT"),
      finals_("IBOQueryF", connection_, db::finalsFields(), "SELECT * FROM DATAZLTF"),
      deletePreliminary_("IB_DSQL1", connection_, "DELETE FROM DATAZLT"),
      deleteFinals_("IB_DSQLF", connection_, "DELETE FROM DATAZLTF"),
      backups_(connection_, std::filesystem::current_path()),
      journal_(std::filesystem::current_path() / ChangeJournal::kFile) {
    journal_.watch(preliminary_);
    journal_.watch(finals_);
    // Queued: the copy is taken once the write and the handler around it are done.
    QObject::connect(&journal_, &ChangeJournal::rowsWritten, &backups_, &Backups::changed,
                     Qt::QueuedConnection);
}

namespace {

JournalEntry wholeDatabase(const char* change, const std::string& what = {}) {
    return {QDateTime::currentDateTime(), change, {}, {}, {}, {}, what};
}

}  // namespace

void Competition::openPreliminary() {
    connection_.setPath((std::filesystem::current_path() / kDatabaseFile).string());
    preliminary_.open();
    // Taken once the event loop turns, so that the window is up first.
    QMetaObject::invokeMethod(&backups_, [this] { backups_.takeCopy(); }, Qt::QueuedConnection);
}

void Competition::openFinals() {
    finals_.open();
}

void Competition::recomputeTotal(db::ResultSet& rows) {
    recomputeRowTotal(rows, totalRuleOf(rows));
}

void Competition::sortByTitle(db::ResultSet& rows, int column) {
    if (rows.active()) {
        rows.checkBrowseMode();
    }
    Sestupne = !Sestupne;
    const char* direction = Sestupne ? "ASC" : "DESC";
    rows.close();
    rows.setSql("SELECT * FROM " + rows.fields().table() + " ORDER BY " +
                rows.fields()[column].name + " " + direction);
    rows.open();
}

void Competition::mergeFinalsIntoStandings() {
    backups_.takeCopy();
    competition::mergeFinalsIntoStandings(preliminary_, finals_);
}

// The reset is one line in the journal, not 42 new rows.
void Competition::resetDatabase() {
    backups_.takeCopy();
    {
        const ChangeJournal::Pause pause(journal_);
        competition::resetDatabase({deletePreliminary_, preliminary_}, {deleteFinals_, finals_});
    }
    journal_.record(wholeDatabase("vymazání databáze"));
}

void Competition::writePendingRows() {
    for (db::ResultSet* rows : resultSets()) {
        if (rows->active()) {
            rows->checkBrowseMode();
        }
    }
}

std::vector<JournalEntry> Competition::restore(const BackupCopy& copy) {
    writePendingRows();
    const auto reopen = [this] {
        preliminary_.open();
        finals_.open();
    };
    preliminary_.close();
    finals_.close();
    try {
        backups_.restore(copy.file);
    } catch (...) {
        reopen();
        throw;
    }
    reopen();
    // Changes in the second the copy was taken may be in it or not; making them again
    // does no harm, losing them would.
    std::vector<JournalEntry> since;
    for (JournalEntry& entry : journal_.entries()) {
        if (entry.time >= copy.taken && !entry.table.empty()) {
            since.push_back(std::move(entry));
        }
    }
    journal_.record(wholeDatabase("obnova", copy.file.filename().string()));
    return since;
}

// The changes made again are one line in the journal: recorded one by one, a later
// replay would make them twice.
std::vector<std::string> Competition::replay(const std::vector<JournalEntry>& changes) {
    std::vector<std::string> skipped;
    {
        const ChangeJournal::Pause pause(journal_);
        skipped = replayEntries(changes, preliminary_, finals_);
    }
    journal_.record(wholeDatabase(
        "obnova", "znovu provedeno změn: " + std::to_string(changes.size() - skipped.size())));
    return skipped;
}

}  // namespace zlt::competition
