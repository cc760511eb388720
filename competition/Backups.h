#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "competition/CopyProof.h"

namespace zlt::db {
class Connection;
}

namespace zlt::competition {

// One copy of the event's database.
struct BackupCopy {
    std::filesystem::path file;
    QDateTime taken;  // local time, read from the file's name
};

// A copy as it is: what it holds, or why it cannot be restored.
struct CopyState {
    BackupContents contents;
    QString flaw;  // empty for a sound copy; else the reason, as BrokenCopy::reason()
};

// Copies of the event's database, taken through the engine while the program runs, so a
// copy never catches a file half written. They go to the folder "zalohy" of the event
// folder and, when one is chosen, to a second folder (a USB stick, a network share), as
// ZLT04-YYYYMMDD-HHMMSS.GDB in local time; the last 20 are kept, and beyond those the last
// copy of each earlier day. Each copy is proven (proveFile) once written; one that fails
// is removed, and counts as a copy that could not be taken.
// A copy that fails never stops the operator's work: it is told through problem() and
// statusChanged(), and tried again at the next occasion.
// A copy cut short by a power cut or a killed process leaves the database in the engine's
// backup mode, in which the engine refuses every later copy, and its work files in the
// folder. Both are mended when the event is opened and before every copy, and told once.
class Backups : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kFolder = "zalohy";
    static constexpr int kKeptCopies = 20;

    // The connection names the database; the event folder holds it.
    Backups(db::Connection& connection, std::filesystem::path eventFolder);
    ~Backups() override;

    // Ends the backup mode that an interrupted copy left the database in (the engine merges
    // the changes kept beside it back) and removes that copy's work files from both folders;
    // when either was found, problem() says so. Only a database this process could attach
    // is touched: one held by another process may be in the middle of its copy. Never
    // throws; a database that does not open is left for the opening to tell of.
    void mendInterruptedCopy();
    // The notice of a mended copy stays in problem() until the next copy's status has carried
    // it, so that a window shows it whenever it looks. A caller that has told it already (the
    // command line, once the event is open) drops it here.
    void noticeTold() { notice_.clear(); }

    // Takes a copy into each folder now, but never of a database on a server. Never throws.
    // Returns the copy in "zalohy", if that one was taken.
    std::optional<std::filesystem::path> takeCopy();
    // After a write: a copy when the interval (five minutes) has passed since the last one.
    void changed();
    void setInterval(std::chrono::seconds interval);

    // Empty when there is none (EventChoice::SecondBackupFolder), or when its file is
    // damaged; a copy then says so in problem(). Setting it keeps it in its file; an empty
    // path forgets it.
    std::filesystem::path secondFolder() const;
    void setSecondFolder(const std::filesystem::path& folder);

    // The copies in "zalohy", newest first.
    std::vector<BackupCopy> copies() const { return copiesOf(eventFolder_); }
    static std::vector<BackupCopy> copiesOf(const std::filesystem::path& eventFolder);
    // Proves the copy on a private copy of it (proveCopy); a copy file unchanged since it
    // was last proven by this object is not proven again.
    CopyState examine(const BackupCopy& copy);

    // The chosen copy made ready to take the database's place: copied beside the database
    // with the database's permissions, and proven there. Removed again unless restore()
    // puts it in place.
    class Incoming {
    public:
        explicit Incoming(std::filesystem::path file) : file_(std::move(file)) {}
        Incoming(Incoming&& other) noexcept : file_(std::exchange(other.file_, {})) {}
        Incoming& operator=(Incoming&&) = delete;
        ~Incoming();
        const std::filesystem::path& file() const { return file_; }

    private:
        std::filesystem::path file_;
    };
    // Refuses a copy that fails the proof (BrokenCopy), and any restore of a database on a
    // server, with nothing changed.
    Incoming prepareRestore(const std::filesystem::path& copy);
    // Puts the prepared copy in the database's place: a copy of the database as it is is
    // taken first (a failure there refuses the restore), then the connection is detached,
    // the file replaced in one rename and the connection left detached for the caller to
    // reopen its result sets. Throws when the database could not be replaced, leaving it as
    // it was. Returns the copy taken before.
    std::filesystem::path restore(Incoming incoming);

    // The last failure in words ("Zálohu do složky … nelze uložit: disk je plný."), after
    // the notice of an interrupted copy mended, if any; empty after a copy that succeeded
    // everywhere.
    const QString& problem() const { return problem_; }
    const QDateTime& lastCopy() const { return lastCopy_; }

    // A database on a server is copied there, not here.
    bool onServer() const;

signals:
    // After every copy taken or tried: the list of copies may have changed too.
    void statusChanged();
    // A copy is about to hold the thread for a second or more.
    void copyStarting();

private:
    std::filesystem::path database() const;
    // Where a restore proves the copy it will put in the database's place.
    std::filesystem::path incomingFile() const;
    enum class Moment { Opening, BeforeCopy };
    // Whether there was anything to mend or to tell; the words are left in notice_. At the
    // opening, the leftover of a restore cut short is removed as well.
    bool mend(Moment moment);
    // The copy into one folder; a failure is put in words into problem.
    std::optional<std::filesystem::path> copyInto(const std::filesystem::path& folder,
                                                  const QDateTime& now, QString& problem);
    void setStatus(const QString& problem, const QDateTime& lastCopy);
    void remember(const std::filesystem::path& copy, const CopyState& state);

    // What examine() found, with the size and time of the file it found it in.
    struct Examined {
        std::uintmax_t size;
        std::filesystem::file_time_type written;
        CopyState state;
    };

    db::Connection& connection_;
    std::filesystem::path eventFolder_;
    std::chrono::seconds interval_{std::chrono::minutes(5)};
    std::optional<std::chrono::steady_clock::time_point> lastAttempt_;
    QString problem_;
    QString notice_;  // what mend() found, for the next status
    QDateTime lastCopy_;
    std::map<std::filesystem::path, Examined> examined_;
};

}  // namespace zlt::competition
