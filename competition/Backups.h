#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

namespace zlt::db {
class Connection;
}

namespace zlt::competition {

// One copy of the event's database.
struct BackupCopy {
    std::filesystem::path file;
    QDateTime taken;  // local time, read from the file's name
};

// What a copy holds, for choosing one to restore.
struct BackupContents {
    int teams = 0;     // preliminary rows with a team name
    int placings = 0;  // filled placings (BOD1 to BOD6, FBOD1 to FBOD3) of both tables
};

// Copies of the event's database, taken through the engine while the program runs, so a
// copy never catches a file half written. They go to the folder "zalohy" of the event
// folder and, when one is chosen, to a second folder (a USB stick, a network share), as
// ZLT04-YYYYMMDD-HHMMSS.GDB in local time; the last 20 are kept, and beyond those the last
// copy of each earlier day.
// A copy that fails never stops the operator's work: it is told through problem() and
// statusChanged(), and tried again at the next occasion.
class Backups : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kFolder = "zalohy";
    // The second folder's path, one line of UTF-8, beside the database.
    static constexpr const char* kSecondFolderFile = "zalohy-druha-slozka.txt";
    static constexpr int kKeptCopies = 20;

    // The connection names the database; the event folder holds it.
    Backups(db::Connection& connection, std::filesystem::path eventFolder);
    ~Backups() override;

    // Takes a copy into each folder now, but never of a database on a server. Never throws.
    // Returns the copy in "zalohy", if that one was taken.
    std::optional<std::filesystem::path> takeCopy();
    // After a write: a copy when the interval (five minutes) has passed since the last one.
    void changed();
    void setInterval(std::chrono::seconds interval);

    // Empty when there is none. Setting it keeps it in its file; an empty path forgets it.
    std::filesystem::path secondFolder() const;
    void setSecondFolder(const std::filesystem::path& folder);

    // The copies in "zalohy", newest first.
    std::vector<BackupCopy> copies() const;
    static BackupContents contentsOf(const std::filesystem::path& copy);

    // Puts the copy in the database's place: a copy of the database as it is is taken
    // first (a failure there refuses the restore), then the connection is detached, the
    // file replaced in one rename and the connection left detached for the caller to
    // reopen its result sets. Throws when the database could not be replaced, leaving it
    // as it was. Returns the copy taken before.
    std::filesystem::path restore(const std::filesystem::path& copy);

    // The last failure in words ("Zálohu do složky … nelze uložit: disk je plný."), empty
    // after a copy that succeeded everywhere.
    const QString& problem() const { return problem_; }
    const QDateTime& lastCopy() const { return lastCopy_; }

    // A database on a server is copied there, not here.
    bool onServer() const;

signals:
    // After every copy taken or tried: the list of copies may have changed too.
    void statusChanged();

private:
    std::filesystem::path database() const;
    // The copy into one folder; a failure is put in words into problem.
    std::optional<std::filesystem::path> copyInto(const std::filesystem::path& folder,
                                                  const QDateTime& now, QString& problem);
    void setStatus(const QString& problem, const QDateTime& lastCopy);

    db::Connection& connection_;
    std::filesystem::path eventFolder_;
    std::chrono::seconds interval_{std::chrono::minutes(5)};
    std::optional<std::chrono::steady_clock::time_point> lastAttempt_;
    QString problem_;
    QDateTime lastCopy_;
};

}  // namespace zlt::competition
