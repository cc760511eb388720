#pragma once

#include <QAbstractHttpServer>
#include <QHttpServerResponder>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <chrono>

#include "web/ServedPages.h"

class QTcpSocket;

namespace zlt::web {

// The read-only results server for the spectators' phones: the served pages by their
// names alone, the health check "/zdravi", and the stream of changes that keeps the pages
// live, fed by the competition's change notification. It runs on the thread it was made
// on, the program's window thread; no client can block it, as every socket is read and
// written without waiting. Needs a QApplication (the sheets are windows never shown).
class ResultsServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 8080;
    static constexpr const char* kHealth = "/zdravi";

    // What a client may ask and hold.
    struct Limits {
        int streams = 500;
        qint64 requestBytes = 16 * 1024;
        qint64 headers = 64;
        int urlBytes = 2048;
        // A connection asking nothing for so long is closed; a stream is kept.
        std::chrono::milliseconds idle{30'000};
        // A comment on every stream as often, so that a dead one is noticed.
        std::chrono::milliseconds keepAlive{15'000};
        // A stream whose client does not take what is sent is dropped beyond this.
        qint64 unsentBytes = 256 * 1024;
        // Changes that come together are read once.
        std::chrono::milliseconds gather{100};
    };

    explicit ResultsServer(competition::Competition& competition, Limits limits);
    explicit ResultsServer(competition::Competition& competition)
        : ResultsServer(competition, Limits{}) {}

    // Listens on the port (0: any free one), on every address of the computer or on this
    // computer's alone; once. Throws std::runtime_error with a Czech message naming the
    // port when it cannot listen. The server stops when it is destroyed.
    void start(quint16 port, bool everywhere);
    bool listening() const;
    quint16 port() const;
    // The addresses to open, "http://192.168.1.20:8080/", the loopback last.
    QStringList addresses() const;
    int streamCount();

signals:
    // The pages changed and the streams were told.
    void pagesChanged();

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    void watch(QTcpSocket* socket);
    void refresh();
    void openStream(const QHttpServerRequest& request, QTcpSocket* socket);
    void tellStreams(const QByteArray& message);
    void answerPath(const QHttpServerRequest& request, QTcpSocket* socket);
    void answerHealth(const QHttpServerRequest& request, QTcpSocket* socket);
    void answer(const QHttpServerRequest& request, QTcpSocket* socket,
                QHttpServerResponder::StatusCode status, const QByteArray& type,
                const QByteArray& body, QHttpServerResponder::HeaderList extra = {});

    Limits limits_;
    ServedPages pages_;
    bool everywhere_ = false;
    QList<QPointer<QTcpSocket>> streams_;
    QTimer gather_;
    QTimer keepAlive_;
};

}  // namespace zlt::web
