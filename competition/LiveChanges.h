#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

namespace zlt::competition {

// Tells that the event's rows changed, whoever changed them: this program's own writes
// and, while the competition listens on a database server, the other tables' commits.
// Views that show the results without editing them (the projector) follow this alone.
//
// The listener on the server calls databaseChanged, connectionLost and connectionBack on
// a thread of the client library; each hands over to the thread this object lives on (the
// user interface), which alone touches the rows. It must stop calling before this object
// goes.
class LiveChanges : public QObject {
    Q_OBJECT
public:
    // The re-read of the rows, run on this object's thread after other tables' commits.
    explicit LiveChanges(std::function<void()> reread, QObject* parent = nullptr);

    // Another table committed. Calls that come before the rows are re-read are re-read
    // once, so that a burst of commits does not re-read the rows for each of them.
    void databaseChanged();
    // The server cannot be reached, or can again; coming back re-reads the rows, as the
    // commits meanwhile went unnoticed.
    void connectionLost();
    void connectionBack();

    bool connected() const { return !lost_; }
    // For the main window's status: why the rows may not show the other tables' commits,
    // empty while they do.
    QString connectionText() const { return connectionText_; }

signals:
    // Committed rows differ from what was last read.
    void changed();
    void connectionTextChanged(const QString& text);

private:
    void rereadNow();
    void setConnectionText(const QString& text);

    std::function<void()> reread_;
    std::atomic<bool> rereadQueued_ = false;
    bool lost_ = false;
    QString connectionText_;
};

}  // namespace zlt::competition
