#pragma once

#include <QObject>
#include <QString>
#include <filesystem>

namespace zlt::competition {

// The event's database file deleted or moved while the program has it open. The
// connection refuses every write from then on (db::Connection::requireWritable), until a
// copy saved to a folder becomes the event's database (Competition::moveLostDatabase).
// Once lost, the main window says so until the program ends: the file the event folder
// names is no longer the one in use.
class LostDatabase : public QObject {
    Q_OBJECT
public:
    // Told by the connection in the middle of a write: the signal waits for the event loop,
    // and notices before it turns are one.
    void notice();
    // A copy was saved there and is the event's database now.
    void moved(const std::filesystem::path& copy);

    bool lost() const { return lost_; }
    const std::filesystem::path& copy() const { return copy_; }
    // The warning line and its longer tooltip; empty while nothing was lost.
    QString line() const;
    QString detail() const;

signals:
    // The file was found lost, or a write was refused since: a copy can be saved.
    void noticed();
    void changed();

private:
    bool lost_ = false;
    bool telling_ = false;
    std::filesystem::path copy_;
};

}  // namespace zlt::competition
