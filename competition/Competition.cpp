#include "competition/Competition.h"

#include <QTimer>
#include <algorithm>
#include <exception>
#include <filesystem>
#include <functional>
#include <iterator>
#include <limits>
#include <optional>
#include <utility>

#include "competition/DatabaseReset.h"
#include "competition/EventFiles.h"
#include "competition/Refusal.h"
#include "competition/Scoring.h"
#include "competition/StandingsMerge.h"
#include "competition/Together.h"
#include "database/DatabaseError.h"
#include "database/DatabaseLocation.h"
#include "database/FieldList.h"
#include "database/WriteConflict.h"

namespace zlt::competition {

namespace {

std::string locationOrDefault(std::string location) {
    const std::filesystem::path folder = std::filesystem::current_path();
    if (location.empty()) {
        location = keptDatabaseLocation(folder);
    }
    return location.empty() ? (folder / kDatabaseFile).string() : location;
}

}  // namespace

Competition::Competition(std::string databaseLocation)
    : locationProblem_(databaseLocation.empty()
                           ? databaseLocationProblem(std::filesystem::current_path())
                           : std::string()),
      location_(locationOrDefault(std::move(databaseLocation))),
      preliminary_("IBOQuery1", connection_, db::preliminaryFields(), "SELECT *  FROM DATAZLT"),
      finals_("IBOQueryF", connection_, db::finalsFields(), "SELECT * FROM DATAZLTF"),
      committed_(connection_, preliminary_.sql(), finals_.sql()),
      deletePreliminary_("IB_DSQL1", connection_, "DELETE FROM DATAZLT"),
      deleteFinals_("IB_DSQLF", connection_, "DELETE FROM DATAZLTF"),
      backups_(connection_, std::filesystem::current_path()),
      journal_(std::filesystem::current_path() / ChangeJournal::kFile),
      live_([this] { rereadRows(); }),
      check_(std::filesystem::current_path(), [this](const DisciplineRules& rules) {
          return checkEvent(preliminary_, finals_, rules);
      }) {
    journal_.watch(preliminary_);
    journal_.watch(finals_);
    connection_.setFileLostHandler([this] { lostDatabase_.notice(); });
    // At once: a view asking before the notice below must not take the rows as read before.
    QObject::connect(&journal_, &ChangeJournal::rowsWritten, &live_,
                     [this] { committed_.changed(); });
    // Queued: the copy is taken once the write and the handler around it are done.
    QObject::connect(&journal_, &ChangeJournal::rowsWritten, &backups_, &Backups::changed,
                     Qt::QueuedConnection);
    QObject::connect(&journal_, &ChangeJournal::rowsWritten, &live_, &LiveChanges::changed,
                     Qt::QueuedConnection);
    // This program's own writes reach the check the same way as the other tables' commits:
    // through the journal's rowsWritten above.
    QObject::connect(&live_, &LiveChanges::changed, &check_, &LiveCheck::recheck);
    // The journal's timer cannot sync while a copy holds the thread: the lines written
    // before it would wait longer than the second the journal promises.
    QObject::connect(&backups_, &Backups::copyStarting, &journal_, [this] { journal_.flush(); });
}

namespace {

JournalEntry wholeDatabase(const char* change, const std::string& what = {}) {
    return {QDateTime::currentDateTime(), change, {}, {}, {}, {}, what};
}

}  // namespace

void Competition::openPreliminary() {
    if (!locationProblem_.empty()) {
        throw Refusal(locationProblem_);
    }
    connection_.setPath(location_);
    // Before the rows attach: the copy cut short last time is mended while nothing else of
    // this process has the database open.
    backups_.mendInterruptedCopy();
    openRows(preliminary_);
    check_.reloadRules();
    listenToOtherTables();
    // Taken once the event loop turns, so that the window is up first.
    QMetaObject::invokeMethod(
        &backups_, [this] { backups_.takeCopy(); }, Qt::QueuedConnection);
}

void Competition::openRows(db::ResultSet& rows) {
    try {
        rows.open();
    } catch (const db::DatabaseError& error) {
        access_.refused(error.engineCode(), connection_.location().path());
        throw;
    }
}

void Competition::listenToOtherTables() {
    if (!db::DatabaseLocation::parse(location_).isServer()) {
        return;
    }
    listener_ = std::make_unique<db::EventListener>(connection_, [this](bool lost) {
        if (!lost) {
            live_.databaseChanged();
            return;
        }
        live_.connectionLost();
        QMetaObject::invokeMethod(
            &live_, [this] { reconnect(); }, Qt::QueuedConnection);
    });
}

// The dead attachment is dropped first: the rows attach afresh when they are re-read.
void Competition::reconnect() {
    constexpr int kRetryMilliseconds = 2000;
    try {
        try {
            connection_.disconnect();
        } catch (const std::exception&) {
        }
        listener_->reconnect();
        live_.connectionBack();
    } catch (const std::exception&) {
        QTimer::singleShot(kRetryMilliseconds, &live_, [this] { reconnect(); });
    }
}

void Competition::closeDatabase() noexcept {
    listener_.reset();
    try {
        connection_.disconnect();
    } catch (const std::exception&) {
        // A lost server: the attachment ends with the process all the same.
    }
}

void Competition::openFinals() {
    openRows(finals_);
    check_.reloadRules();
}

// The journal gets the typed fields' lines and the total's line once both are committed.
void Competition::recomputeTotal(db::ResultSet& rows) {
    ChangeJournal::Hold hold(journal_);
    recomputeRowTotal(rows, totalRuleOf(rows));
    hold.commit();
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
    // The findings name rows by their place in the order.
    check_.recheck();
}

// A change of the whole database is one line in the journal; the views that follow the
// committed rows (the projector, the served pages) hear of it as of any write, once the
// change is done.
void Competition::recordWholeChange(const JournalEntry& entry) {
    journal_.record(entry);
    committed_.changed();
    QMetaObject::invokeMethod(
        &live_, [this] { emit live_.changed(); }, Qt::QueuedConnection);
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
    recordWholeChange(wholeDatabase("vymazání databáze"));
}

namespace {

// Values for one row in the rows' current order; a row past the last one is appended.
struct RowValues {
    int row = 0;
    std::vector<std::pair<int, db::FieldValue>> values;
};

// A row's values before and after its write, kept for the journal until the commit.
struct WrittenRow {
    db::WriteKind kind;
    std::vector<db::FieldValue> before;
    std::vector<db::FieldValue> after;
};

std::vector<db::FieldValue> valuesOf(const db::ResultSet& rows, int row) {
    std::vector<db::FieldValue> values;
    for (int position = 0; position < rows.fields().size(); ++position) {
        values.push_back(rows.value(row, position));
    }
    return values;
}

// Writes the values that differ from the row's own; with none the row is left alone.
std::optional<WrittenRow> writeValues(db::ResultSet& rows, const RowValues& change) {
    const bool appending = change.row >= rows.recordCount();
    WrittenRow written{
        appending ? db::WriteKind::Insert : db::WriteKind::Update,
        appending ? std::vector<db::FieldValue>(rows.fields().size()) : valuesOf(rows, change.row),
        {}};
    std::vector<std::pair<int, db::FieldValue>> differing;
    std::copy_if(change.values.begin(), change.values.end(), std::back_inserter(differing),
                 [&](const auto& value) { return written.before[value.first] != value.second; });
    if (differing.empty()) {
        return std::nullopt;
    }
    if (appending) {
        rows.append();
    } else {
        rows.moveTo(change.row);
        rows.edit();
    }
    for (const auto& [position, value] : differing) {
        rows.setField(position, value);
    }
    rows.post();
    written.after = valuesOf(rows, rows.recNo());
    return written;
}

// What writeRanks and writeImport share. The pending row is written first; then the
// changes the rows call for, as they stand then, are written in one transaction, and
// journalled once it is committed.
void writeRows(db::ResultSet& rows, ChangeJournal& journal,
               const std::function<std::vector<RowValues>()>& changesOfRows) {
    rows.requireActive();
    rows.checkBrowseMode();
    const std::vector<RowValues> changes = changesOfRows();
    const int current = rows.recNo();
    std::vector<WrittenRow> written;
    {
        const ChangeJournal::Pause pause(journal);
        try {
            writeTogether({&rows}, [&] {
                for (const RowValues& change : changes) {
                    if (auto row = writeValues(rows, change)) {
                        written.push_back(std::move(*row));
                    }
                }
            });
        } catch (const db::WriteConflict&) {
            // Its words are for a row being typed; here the rows are already read again and
            // nothing typed is at stake.
            throw Refusal(
                "Jiný stůl mezitím změnil nebo smazal řádek, do kterého se zapisovalo. Nic "
                "nebylo zapsáno; zkuste to znovu.");
        }
    }
    if (current >= 0) {
        rows.moveTo(current);
    }
    if (written.empty()) {
        return;
    }
    std::vector<db::RowWrite> writes;
    for (const WrittenRow& row : written) {
        writes.push_back({row.kind, row.before, row.after});
    }
    journal.recordWrites(rows, writes);
}

}  // namespace

namespace {

// The lines were proposed for the rows as they stood; rows moved or renamed since would
// take values meant for other teams.
template <typename Line>
void requireSameRows(const db::ResultSet& rows, const std::vector<Line>& lines, const char* what) {
    const int team = rows.fieldPosition("DRUZSTVO");
    for (const Line& line : lines) {
        if (line.row >= rows.recordCount() ||
            db::withoutBlanks(db::displayText(rows.value(line.row, team))) != line.team) {
            throw Refusal(std::string(what) +
                          " nelze zapsat: řádky se od výpočtu změnily. Spočítejte je znovu.");
        }
    }
}

// The total Enter would store in the line's row once its placing is the new one.
db::FieldValue totalWith(const db::ResultSet& rows, const PlacingLine& line, int placing,
                         const db::FieldValue& newPlacing, const TotalRule& rule) {
    std::int64_t sum = 0;
    for (const std::string& term : rule.terms) {
        const int position = rows.fieldPosition(term);
        sum += countedTerm(position == placing ? newPlacing : rows.value(line.row, position));
    }
    if (sum > std::numeric_limits<std::int32_t>::max()) {
        throw Refusal("Nic nebylo zapsáno: " + rule.total + " družstva " + line.team + " by byl " +
                      std::to_string(sum) + ", víc než pole pojme (nejvýš " +
                      std::to_string(std::numeric_limits<std::int32_t>::max()) + ").");
    }
    return static_cast<std::int32_t>(sum);
}

// A name the team-name field cannot hold is refused before anything is written.
void requireStorableNames(const db::ResultSet& rows, const std::vector<ImportLine>& lines) {
    for (const ImportLine& line : lines) {
        if (const auto reason = unstorableName(line.name, rows)) {
            throw Refusal("Řádek " + std::to_string(line.line) + " nelze zapsat. " + *reason +
                          " Nic nebylo zapsáno.");
        }
    }
}

}  // namespace

void Competition::writeRanks(db::ResultSet& rows, const std::vector<RankLine>& lines) {
    writeRows(rows, journal_, [&] {
        requireSameRows(rows, lines, "Pořadí");
        const int rank = rows.fieldPosition(rankRuleOf(rows).rank);
        std::vector<RowValues> changes;
        for (const RankLine& line : lines) {
            if (line.changed()) {
                changes.push_back(
                    {line.row,
                     {{rank, line.computed ? db::FieldValue(*line.computed) : db::FieldValue()}}});
            }
        }
        return changes;
    });
}

void Competition::writeImport(db::ResultSet& rows, const std::vector<ImportLine>& lines) {
    writeRows(rows, journal_, [&] {
        requireStorableNames(rows, lines);
        std::vector<int> numbers;
        for (const ImportLine& line : lines) {
            numbers.push_back(line.number);
        }
        const std::vector<int> targets = rowsOfNumbers(numbers, rows);
        const bool finals = rows.fields().table() == db::finalsFields().table();
        const int team = rows.fieldPosition("DRUZSTVO");
        std::vector<RowValues> changes;
        for (std::size_t at = 0; at < lines.size(); ++at) {
            RowValues change{targets[at], {{team, lines[at].name}}};
            // A new preliminary row is found by its number.
            if (!finals && targets[at] >= rows.recordCount()) {
                change.values.emplace_back(rows.fieldPosition("CISLO"), lines[at].number);
            }
            changes.push_back(std::move(change));
        }
        // New rows are appended in the order of their numbers; of two lines for one row
        // the later one is written last.
        std::stable_sort(changes.begin(), changes.end(),
                         [](const RowValues& a, const RowValues& b) { return a.row < b.row; });
        return changes;
    });
}

void Competition::writePlacings(db::ResultSet& rows, const PlacingPlan& plan) {
    if (!plan.writable()) {
        throw Refusal(plan.refusal());
    }
    writeRows(rows, journal_, [&] {
        requireSameRows(rows, plan.lines, "Umístění");
        const TotalRule& rule = totalRuleOf(rows);
        const int placing = rows.fieldPosition(plan.discipline.placingField());
        const int total = rows.fieldPosition(rule.total);
        std::vector<RowValues> changes;
        for (const PlacingLine& line : plan.lines) {
            if (line.changed()) {
                const db::FieldValue computed =
                    line.computed ? db::FieldValue(*line.computed) : db::FieldValue();
                changes.push_back({line.row,
                                   {{placing, computed},
                                    {total, totalWith(rows, line, placing, computed, rule)}}});
            }
        }
        return changes;
    });
}

void Competition::writePendingRows() {
    for (db::ResultSet* rows : resultSets()) {
        if (rows->active()) {
            rows->checkBrowseMode();
        }
    }
}

void Competition::rereadRows() {
    committed_.changed();
    for (db::ResultSet* rows : resultSets()) {
        if (rows->active()) {
            committed_.rereadWith(*rows);
        }
    }
}

std::vector<JournalEntry> Competition::restore(const BackupCopy& copy) {
    // Proven before anything is written or closed: a copy refused leaves all as it was.
    Backups::Incoming incoming = backups_.prepareRestore(copy.file);
    writePendingRows();
    const auto reopen = [this] {
        preliminary_.open();
        finals_.open();
    };
    preliminary_.close();
    finals_.close();
    try {
        backups_.restore(std::move(incoming));
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
    recordWholeChange(wholeDatabase("obnova", copy.file.filename().string()));
    return since;
}

std::filesystem::path Competition::moveLostDatabase(const std::filesystem::path& folder) {
    const std::filesystem::path copy = std::filesystem::absolute(folder / kDatabaseFile);
    // Copied while the lost file is still attached: all it holds is committed, and once
    // detached it could not be reached again.
    connection_.copyFileTo(copy);
    try {
        connection_.disconnect();
    } catch (const std::exception&) {
        // The lost file is left behind either way.
    }
    location_ = copy.string();
    connection_.setPath(location_);
    lostDatabase_.moved(copy);
    rereadRows();
    QMetaObject::invokeMethod(
        &backups_, [this] { backups_.takeCopy(); }, Qt::QueuedConnection);
    return copy;
}

// The changes made again are one line in the journal: recorded one by one, a later
// replay would make them twice.
std::vector<std::string> Competition::replay(const std::vector<JournalEntry>& changes) {
    std::vector<std::string> skipped;
    {
        const ChangeJournal::Pause pause(journal_);
        skipped = replayEntries(changes, preliminary_, finals_);
    }
    recordWholeChange(wholeDatabase(
        "obnova", "znovu provedeno změn: " + std::to_string(changes.size() - skipped.size())));
    return skipped;
}

}  // namespace zlt::competition
