#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include "web/ServedPages.h"
#include "web/ServerProcess.h"

namespace zlt::competition {
class Competition;
}

namespace zlt::web {

// The results on the network, as the program (or zlt-event serve) runs them: the pages
// made from the committed rows here, and served by a process of its own that gets every
// new version of them. The competition's change notification, and a change of its check's
// findings, make the pages anew once per burst of changes.
class ResultsFeed : public QObject {
    Q_OBJECT
public:
    // Changes that come together are read once.
    static constexpr std::chrono::milliseconds kGather{100};

    explicit ResultsFeed(competition::Competition& competition);

    // Starts the server on the port (0: any free one), on every address of the computer or
    // on this computer's alone, with the pages as they are. Throws std::runtime_error with
    // a Czech message naming the port when it cannot listen.
    void start(quint16 port, bool everywhere);
    quint16 port() const { return server_.port(); }
    // The addresses to open, "http://192.168.1.20:8080/", the loopback last.
    QStringList addresses() const;
    const ServerProcess& server() const { return server_; }

signals:
    // A new version of the pages went to the server.
    void pagesChanged();
    // The server had ended unasked and serves again.
    void restarted();

private:
    void refresh();
    void publish();

    ServedPages pages_;
    ServerProcess server_;
    QTimer gather_;
    bool everywhere_ = false;
    qint64 version_ = 0;
};

}  // namespace zlt::web
