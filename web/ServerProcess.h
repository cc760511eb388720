#pragma once

#include <QObject>
#include <QProcess>
#include <QTimer>
#include <memory>

#include "web/PageUpdate.h"

namespace zlt::web {

// The results server process (zlt-results-server) as the program sees it: started, handed
// every version of the pages over a pipe, and started again after a pause when it ends
// unasked, on the same port with the pages it had. The program never waits for it beyond
// its start: pages it has not yet read are held, and only their newest version is sent.
class ServerProcess : public QObject {
    Q_OBJECT
public:
    static QString program();

    ServerProcess();
    ~ServerProcess() override;

    // Starts the server and waits until it listens on the port (0: any free one), on every
    // address of the computer or on this computer's alone. Throws std::runtime_error with
    // a Czech message when it cannot.
    void start(quint16 port, bool everywhere);
    quint16 port() const { return port_; }
    // Hands the server the pages of a version.
    void publish(qint64 version, const QDateTime& lastChange, const QString& problem,
                 const PageMap& pages);
    // Waits until the server serves that version, so that the first pages are there once
    // the program says where to find them. False when it did not in time.
    bool waitUntilServed(qint64 version);
    qint64 processId() const;

signals:
    // The server had ended unasked, and a new one serves again.
    void restarted();

private:
    void launch();
    void ended();
    void restart();
    void send();
    void readSaid();

    std::unique_ptr<QProcess> process_;
    quint16 port_ = 0;
    bool everywhere_ = false;
    QTimer restart_;
    // What the server has, and what it should have.
    PageMap sent_;
    PageUpdate wanted_;
    PageMap wantedPages_;
    bool pending_ = false;
    qint64 served_ = 0;
    QByteArray said_;
};

}  // namespace zlt::web
