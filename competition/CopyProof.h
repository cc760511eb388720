#pragma once

#include <QString>
#include <filesystem>

#include "competition/Refusal.h"

namespace zlt::competition {

// What a copy holds, for choosing one to restore.
struct BackupContents {
    int teams = 0;     // preliminary rows with a team name
    int placings = 0;  // filled placings (BOD1 to BOD6, FBOD1 to FBOD3) of both tables
};

// A copy that cannot take the event database's place. The text is the refusal of its
// restore in full; reason() is why, in words that read on after the copy's name.
class BrokenCopy : public Refusal {
public:
    BrokenCopy(const std::filesystem::path& copy, const QString& reason);
    const QString& reason() const { return reason_; }

private:
    QString reason_;
};

// Proves that the file can be the event's database: it is not empty, opens as a database
// of this engine, whose own validation finds no fault in it, is not read-only, and holds
// both tables with every field the program uses, all rows readable. The file is attached
// itself, so it must be the caller's own, open nowhere else. Throws BrokenCopy naming the
// copy it came from; returns what it holds.
BackupContents proveFile(const std::filesystem::path& file, const std::filesystem::path& copy);

// The same for a copy that is anyone's: the proof runs on a private copy of it, `own`, made
// with the permissions given, so that the copy is never attached, nor changed by an
// attachment. `own` is left for the caller, also after a failure.
BackupContents proveInto(const std::filesystem::path& copy, const std::filesystem::path& own,
                         std::filesystem::perms permissions);
// The same in a private temporary folder, removed afterwards.
BackupContents proveCopy(const std::filesystem::path& copy);

}  // namespace zlt::competition
