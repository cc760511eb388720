#pragma once

#include <QAbstractHttpServer>
#include <QHash>
#include <QHttpServerResponder>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <deque>
#include <set>

#include "web/PageUpdate.h"

class QTcpSocket;

namespace zlt::web {

class ConnectionGuard;

// The read-only results server for the spectators' phones: the pages it is handed by their
// names alone, the health check "/zdravi", and the stream of changes that keeps the pages
// live. It runs in a process of its own (zlt-results-server), which holds every socket, so
// that nothing a client does reaches the operator's program; it knows no database. No
// client can block it: every socket is read and written without waiting, and every
// connection is bounded in time and number.
class ResultsServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 8080;
    static constexpr const char* kHealth = "/zdravi";
    static constexpr const char* kStream = "/zmeny";
    // In a page's live script tag; served with the version of the pages filled in, from
    // which the page's stream asks what it missed.
    static constexpr const char* kVersionMark = "data-verze=\"\"";

    // What a client may ask and hold.
    struct Limits {
        int streams = 500;
        // Connections in all (never more than the open-file limit allows) and from one
        // address; beyond them a client gets 503 and its connection is closed.
        int connections = 4000;
        int perAddress = 32;
        qint64 requestBytes = 16 * 1024;
        qint64 headers = 64;
        int urlBytes = 2048;
        // A request must arrive whole within this of the connection or of its first byte.
        std::chrono::milliseconds requestTime{10'000};
        // A connection asking nothing more for so long after an answer is closed; a stream
        // is kept.
        std::chrono::milliseconds idle{30'000};
        // A heartbeat on every stream as often, so that both ends notice a dead one.
        std::chrono::milliseconds keepAlive{15'000};
        // A stream whose client does not take what is sent is dropped beyond this.
        qint64 unsentBytes = 4 * 1024 * 1024;
        // How many versions a reconnecting stream may be behind and still get only what
        // changed since; further behind it gets every page.
        int versionsKept = 64;
    };

    explicit ResultsServer(Limits limits);
    ResultsServer() : ResultsServer(Limits{}) {}
    ~ResultsServer() override;

    // Listens on the port (0: any free one), on every address of the computer or on this
    // computer's alone; once. Throws std::runtime_error with a Czech message naming the
    // port when it cannot listen. Connections are taken from the first published version
    // on; before it they wait. The server stops when it is destroyed.
    void start(quint16 port, bool everywhere);
    quint16 port() const;

    // Takes the pages of a new version and tells every stream what changed.
    void publish(const PageUpdate& update);
    int streamCount();
    int connectionCount() const;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    void openStream(const QHttpServerRequest& request, QTcpSocket* socket);
    QByteArray catchUp(const QHttpServerRequest& request) const;
    QByteArray changeEvent(const std::set<QByteArray>& paths) const;
    void remember(std::set<QByteArray> paths);
    void stamp();
    void tellStreams(const QByteArray& message);
    void answerPath(const QHttpServerRequest& request, QTcpSocket* socket);
    void answerHealth(const QHttpServerRequest& request, QTcpSocket* socket);
    void answer(const QHttpServerRequest& request, QTcpSocket* socket,
                QHttpServerResponder::StatusCode status, const QByteArray& type,
                const QByteArray& body, QHttpServerResponder::HeaderList extra = {});

    Limits limits_;
    ConnectionGuard* guard_ = nullptr;
    // As handed over, and as served: the HTML pages with their version filled in.
    PageMap pages_;
    PageMap served_;
    qint64 version_ = 0;
    QDateTime lastChange_;
    QString problem_;
    // The HTML pages each recent version changed, oldest first; every change after
    // coveredSince_ is among them.
    std::deque<std::pair<qint64, std::set<QByteArray>>> history_;
    qint64 coveredSince_ = -1;
    QList<QPointer<QTcpSocket>> streams_;
    QTimer keepAlive_;
};

}  // namespace zlt::web
