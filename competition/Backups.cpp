#include "competition/Backups.h"

#include <sys/stat.h>

#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <set>
#include <system_error>
#include <tuple>

#include "competition/EventChoices.h"
#include "competition/Refusal.h"
#include "database/Connection.h"
#include "database/DatabaseLocation.h"
#include "database/Services.h"
#include "text/SystemError.h"
#include "text/TextFile.h"

namespace zlt::competition {
namespace {

namespace fs = std::filesystem;

const QString kTimeFormat = QStringLiteral("yyyyMMdd-HHmmss");

struct NamedCopy {
    BackupCopy copy;
    int sequence;  // 1 for the first copy of its second, then 2, 3...
};

QString nameOf(const QDateTime& taken, int sequence) {
    QString name = QStringLiteral("ZLT04-") + taken.toString(kTimeFormat);
    if (sequence > 1) {
        name += QStringLiteral("-") + QString::number(sequence);
    }
    return name + QStringLiteral(".GDB");
}

std::optional<NamedCopy> parseName(const fs::path& file) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^ZLT04-(\d{8}-\d{6})(?:-([1-9]\d{0,5}))?\.GDB$)"));
    const QRegularExpressionMatch match =
        pattern.match(QString::fromStdString(file.filename().string()));
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QDateTime taken = QDateTime::fromString(match.captured(1), kTimeFormat);
    if (!taken.isValid()) {
        return std::nullopt;
    }
    return NamedCopy{{file, taken}, match.captured(2).isEmpty() ? 1 : match.captured(2).toInt()};
}

// Newest first; a folder that cannot be read has none.
std::vector<NamedCopy> copiesIn(const fs::path& folder) {
    std::vector<NamedCopy> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (std::optional<NamedCopy> named = parseName(entry->path())) {
            found.push_back(*named);
        }
    }
    std::sort(found.begin(), found.end(), [](const NamedCopy& a, const NamedCopy& b) {
        return std::tie(b.copy.taken, b.sequence) < std::tie(a.copy.taken, a.sequence);
    });
    return found;
}

void rotate(const fs::path& folder) {
    std::set<QDate> daysSeen;
    int position = 0;
    for (const NamedCopy& named : copiesIn(folder)) {
        const bool lastOfItsDay = daysSeen.insert(named.copy.taken.date()).second;
        if (position++ >= Backups::kKeptCopies && !lastOfItsDay) {
            std::error_code ignored;
            fs::remove(named.copy.file, ignored);
        }
    }
}

// Two copies in the same second keep both.
fs::path unusedName(const fs::path& folder, const QDateTime& taken) {
    for (int sequence = 1;; ++sequence) {
        const fs::path candidate = folder / nameOf(taken, sequence).toStdString();
        std::error_code ignored;
        if (!fs::exists(candidate, ignored)) {
            return candidate;
        }
    }
}

// The folder's own trouble, found before the engine is asked: 0 when it takes files.
int folderError(const fs::path& folder) {
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) {
        return errno;
    }
    if (!S_ISDIR(info.st_mode)) {
        return ENOTDIR;
    }
    return access(folder.c_str(), W_OK) == 0 ? 0 : errno;
}

// Empty where the engine named no system error: its own words say more then.
QString reasonOf(int systemError) {
    return systemError == 0 ? QString()
                            : QString::fromStdString(text::systemErrorText(systemError));
}

QString folderText(const fs::path& folder) {
    return QString::fromStdString(folder.string());
}

// The work files of this event's copies only, by the copies' own names; returns how many
// were removed.
int removeWorkFiles(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (parseName(db::copyOfWorkFile(entry->path()))) {
            found.push_back(entry->path());
        }
    }
    int removed = 0;
    for (const fs::path& file : found) {
        std::error_code ignored;
        removed += fs::remove(file, ignored) ? 1 : 0;
    }
    return removed;
}

// The engine's last line says why ("-Database is not in the physical backup mode").
QString lastLine(const std::string& message) {
    QString line = QString::fromStdString(message).trimmed();
    line = line.mid(line.lastIndexOf(QLatin1Char('\n')) + 1);
    return line.startsWith(QLatin1Char('-')) ? line.mid(1) : line;
}

QString joined(const QString& first, const QString& second) {
    return first.isEmpty() || second.isEmpty() ? first + second
                                               : first + QStringLiteral(" ") + second;
}

Refusal cannotReplace(int error) {
    return Refusal("Databázi nelze nahradit zálohou: " + text::systemErrorText(error) + ".");
}

// One rename, so that a failure anywhere before it leaves the database as it was.
void replaceFile(const fs::path& target, const fs::path& incoming) {
    try {
        text::syncFile(incoming);
    } catch (const text::FileWriteError& error) {
        throw cannotReplace(error.error());
    }
    std::error_code renamed;
    fs::rename(incoming, target, renamed);
    if (renamed) {
        throw cannotReplace(renamed.value());
    }
    try {
        text::syncFolder(target.parent_path());
    } catch (const text::FileWriteError&) {
        // The rename is done; only its durability over a power cut is left to the system.
    }
}

}  // namespace

Backups::Backups(db::Connection& connection, std::filesystem::path eventFolder)
    : connection_(connection), eventFolder_(std::move(eventFolder)) {}

Backups::~Backups() = default;

// The file of a server database is the server's: its copies are the server's business
// (gbak or nbackup there), and each table keeps its own change journal.
bool Backups::onServer() const {
    return db::DatabaseLocation::parse(connection_.path()).isServer();
}

fs::path Backups::database() const {
    return fs::absolute(connection_.path());
}

fs::path Backups::incomingFile() const {
    return fs::path(database()) += ".obnova";
}

bool Backups::mend(Moment moment) {
    if (onServer()) {
        return false;
    }
    const fs::path file = database();
    db::BackupMode mode = db::BackupMode::Normal;
    try {
        mode = db::backupModeOf(file);
    } catch (const db::DatabaseError&) {
        // Perhaps held by another process in the middle of its own copy: nothing is touched,
        // and the opening or the copy tells why the database does not open.
        return false;
    }
    if (moment == Moment::Opening) {
        // A restore cut short leaves its proven copy beside the database. Nobody else has
        // the database open (the look above attached it), so nobody is restoring now; a
        // copy taken later may be one of this process's own restore.
        std::error_code ignored;
        fs::remove(incomingFile(), ignored);
    }
    bool ended = false;
    QString refusal;
    if (mode != db::BackupMode::Normal) {
        try {
            ended = db::endBackupMode(file);
        } catch (const db::DatabaseError& error) {
            refusal = lastLine(error.what());
        }
        // Before the opening nobody has the database attached, which the repair needs.
        if (!refusal.isEmpty() && moment == Moment::Opening) {
            try {
                db::leaveStalledBackupMode(file);
                ended = true;
                refusal.clear();
            } catch (const db::DatabaseError&) {
                // The engine's refusal is the one to tell.
            }
        }
    }
    int removed = removeWorkFiles(eventFolder_ / kFolder);
    if (const fs::path second = secondFolder(); !second.empty()) {
        removed += removeWorkFiles(second);
    }
    const QString interrupted =
        QStringLiteral("Předchozí záloha byla přerušena (výpadek nebo ukončení programu)");
    if (!refusal.isEmpty()) {
        notice_ = interrupted + QStringLiteral(
                                    " a databázi nelze vrátit do běžného stavu (%1); "
                                    "další zálohy proto nelze uložit.")
                                    .arg(refusal);
    } else if (ended && removed > 0) {
        notice_ = interrupted + QStringLiteral(
                                    "; databáze byla vrácena do běžného stavu a "
                                    "nedokončená záloha smazána.");
    } else if (ended) {
        notice_ = interrupted + QStringLiteral("; databáze byla vrácena do běžného stavu.");
    } else if (removed > 0) {
        notice_ = interrupted + QStringLiteral("; nedokončená záloha byla smazána.");
    } else {
        return false;
    }
    return true;
}

void Backups::mendInterruptedCopy() {
    if (mend(Moment::Opening)) {
        setStatus(joined(notice_, problem_), lastCopy_);
    }
}

std::optional<fs::path> Backups::takeCopy() {
    lastAttempt_ = std::chrono::steady_clock::now();
    if (onServer()) {
        return std::nullopt;
    }
    emit copyStarting();
    mend(Moment::BeforeCopy);
    QDateTime now = QDateTime::currentDateTime();
    now = now.addMSecs(-now.time().msec());
    QString problem;
    const fs::path ownFolder = eventFolder_ / kFolder;
    std::optional<fs::path> copy;
    std::error_code created;
    try {
        // A new folder's name is in the event folder only once that is synced; the copies
        // in a folder that vanishes in a power cut would vanish with it.
        if (fs::create_directory(ownFolder, created)) {
            text::syncFolder(eventFolder_);
        }
        copy = copyInto(ownFolder, now, problem);
    } catch (const text::FileWriteError& error) {
        fs::remove(ownFolder, created);
        problem = QStringLiteral("Zálohu do složky %1 nelze uložit: %2.")
                      .arg(folderText(ownFolder), reasonOf(error.error()));
    }
    bool copiedSomewhere = copy.has_value();
    const KeptChoice second = readChoice(eventFolder_, EventChoice::SecondBackupFolder);
    if (second.damaged()) {
        problem = joined(problem, QString::fromStdString(second.problem));
    } else if (!second.first().empty()) {
        copiedSomewhere = copyInto(second.first(), now, problem).has_value() || copiedSomewhere;
    }
    setStatus(joined(notice_, problem), copiedSomewhere ? now : lastCopy_);
    notice_.clear();
    return copy;
}

std::optional<fs::path> Backups::copyInto(const fs::path& folder, const QDateTime& now,
                                          QString& problem) {
    int error = folderError(folder);
    QString reason;
    if (error == 0) {
        try {
            const fs::path copy = unusedName(folder, now);
            db::copyDatabase(database(), copy);
            try {
                remember(copy, {proveFile(copy, copy), {}});
            } catch (const BrokenCopy&) {
                std::error_code ignored;
                fs::remove(copy, ignored);
                throw;
            }
            rotate(folder);
            return copy;
        } catch (const BrokenCopy& failure) {
            reason = QStringLiteral("zapsaná záloha neprošla kontrolou, %1").arg(failure.reason());
        } catch (const db::ServiceError& failure) {
            error = failure.systemError();
            reason = QString::fromStdString(failure.what());
        } catch (const fs::filesystem_error& failure) {
            error = failure.code().value();
            reason = QString::fromStdString(failure.code().message());
        } catch (const std::exception& failure) {
            reason = QString::fromStdString(failure.what());
        }
    }
    if (const QString known = reasonOf(error); !known.isEmpty()) {
        reason = known;
    }
    if (!problem.isEmpty()) {
        problem += QStringLiteral(" ");
    }
    problem +=
        QStringLiteral("Zálohu do složky %1 nelze uložit: %2.").arg(folderText(folder), reason);
    return std::nullopt;
}

void Backups::setStatus(const QString& problem, const QDateTime& lastCopy) {
    problem_ = problem;
    lastCopy_ = lastCopy;
    emit statusChanged();
}

void Backups::changed() {
    if (!lastAttempt_ || std::chrono::steady_clock::now() - *lastAttempt_ >= interval_) {
        takeCopy();
    }
}

void Backups::setInterval(std::chrono::seconds interval) {
    interval_ = interval;
}

fs::path Backups::secondFolder() const {
    return readChoice(eventFolder_, EventChoice::SecondBackupFolder).first();
}

void Backups::setSecondFolder(const fs::path& folder) {
    keepChoice(eventFolder_, EventChoice::SecondBackupFolder,
               folder.empty() ? std::vector<std::string>() : std::vector{folder.string()});
}

std::vector<BackupCopy> Backups::copiesOf(const fs::path& eventFolder) {
    std::vector<BackupCopy> found;
    for (const NamedCopy& named : copiesIn(eventFolder / kFolder)) {
        found.push_back(named.copy);
    }
    return found;
}

void Backups::remember(const fs::path& copy, const CopyState& state) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(copy, error);
    const fs::file_time_type written = fs::last_write_time(copy, error);
    if (!error) {
        examined_[copy] = {size, written, state};
    }
}

CopyState Backups::examine(const BackupCopy& copy) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(copy.file, error);
    const fs::file_time_type written = fs::last_write_time(copy.file, error);
    if (const auto known = examined_.find(copy.file); !error && known != examined_.end() &&
                                                      known->second.size == size &&
                                                      known->second.written == written) {
        return known->second.state;
    }
    CopyState state;
    try {
        state.contents = proveCopy(copy.file);
    } catch (const BrokenCopy& broken) {
        state.flaw = broken.reason();
    }
    remember(copy.file, state);
    return state;
}

Backups::Incoming::~Incoming() {
    if (!file_.empty()) {
        std::error_code ignored;
        fs::remove(file_, ignored);
    }
}

Backups::Incoming Backups::prepareRestore(const fs::path& copy) {
    if (onServer()) {
        throw Refusal(
            "Databázi na serveru obnovuje jeho správce; zálohy této složky patří k "
            "souboru ZLT04.GDB.");
    }
    Incoming incoming(incomingFile());
    proveInto(copy, incoming.file(), fs::status(database()).permissions());
    return incoming;
}

fs::path Backups::restore(Incoming incoming) {
    const std::optional<fs::path> before = takeCopy();
    if (!before) {
        throw Refusal("Před obnovou se nepodařilo zálohovat současnou databázi: " +
                      problem_.toStdString());
    }
    connection_.disconnect();
    replaceFile(database(), incoming.file());
    return *before;
}

}  // namespace zlt::competition
