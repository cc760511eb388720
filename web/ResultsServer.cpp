#include "web/ResultsServer.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <stdexcept>
#include <utility>

namespace zlt::web {
namespace {

using Status = QHttpServerResponder::StatusCode;

constexpr const char* kStreamFlag = "zltStream";
constexpr int kConnectionQueue = 1024;
constexpr const char* kRequestBytes = "zltRequestBytes";
constexpr const char* kRequestLines = "zltRequestLines";

// Nothing but the server's own script and its own requests, no frames, no forms: a name
// that got past the escaping still could not run anything.
const QByteArray kPolicy = QByteArrayLiteral(
    "default-src 'none'; script-src 'self'; connect-src 'self'; style-src 'unsafe-inline'; "
    "img-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
const QByteArray kText = QByteArrayLiteral("text/plain; charset=utf-8");
const QByteArray kEventStream = QByteArrayLiteral("text/event-stream");

// Gives every new connection to the watcher before the HTTP server takes it, so that the
// watcher looks at what arrives before the server reads it.
class WatchedTcpServer : public QTcpServer {
public:
    WatchedTcpServer(std::function<void(QTcpSocket*)> watch, QObject* parent)
        : QTcpServer(parent), watch_(std::move(watch)) {
        // Every page open fetches itself again on a change, all at once: a short queue of
        // connections waiting to be taken would drop some, and their phones would retry
        // only after a second.
        setListenBacklogSize(kConnectionQueue);
        setMaxPendingConnections(kConnectionQueue);
    }

protected:
    void incomingConnection(qintptr handle) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(handle)) {
            delete socket;
            return;
        }
        watch_(socket);
        addPendingConnection(socket);
    }

private:
    std::function<void(QTcpSocket*)> watch_;
};

bool isHead(const QHttpServerRequest& request) {
    return request.method() == QHttpServerRequest::Method::Head;
}

void writeCommonHeaders(QHttpServerResponder& responder, const QByteArray& type) {
    responder.writeHeader("Content-Type", type);
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Content-Security-Policy", kPolicy);
    responder.writeHeader("Referrer-Policy", "no-referrer");
    responder.writeHeader("Cache-Control", "no-cache");
}

QString portMessage(quint16 port, const QTcpServer& server) {
    if (server.serverError() == QAbstractSocket::AddressInUseError) {
        return QStringLiteral(
                   "Výsledky na síti nelze spustit: port %1 už používá jiný program. Ukončete "
                   "ho, nebo zvolte jiný port.")
            .arg(port);
    }
    return QStringLiteral("Výsledky na síti nelze spustit na portu %1: %2.")
        .arg(port)
        .arg(server.errorString());
}

}  // namespace

ResultsServer::ResultsServer(competition::Competition& competition, Limits limits)
    : limits_(limits), pages_(competition) {
    gather_.setSingleShot(true);
    gather_.setInterval(limits_.gather);
    connect(&gather_, &QTimer::timeout, this, &ResultsServer::refresh);
    const auto changed = [this] {
        if (!gather_.isActive()) {
            gather_.start();
        }
    };
    connect(&competition.live(), &competition::LiveChanges::changed, this, changed);
    connect(&competition.details(), &competition::EventDetails::loaded, this, changed);
    connect(&competition.details(), &competition::EventDetails::confirmed, this, changed);
    keepAlive_.setInterval(limits_.keepAlive);
    connect(&keepAlive_, &QTimer::timeout, this, [this] { tellStreams(": \n\n"); });
}

void ResultsServer::start(quint16 port, bool everywhere) {
    auto* server = new WatchedTcpServer([this](QTcpSocket* socket) { watch(socket); }, this);
    if (!server->listen(everywhere ? QHostAddress::Any : QHostAddress::LocalHost, port)) {
        const QString message = portMessage(port, *server);
        delete server;
        throw std::runtime_error(message.toStdString());
    }
    everywhere_ = everywhere;
    bind(server);
    pages_.setAddress(addresses().constFirst());
    pages_.refresh();
    keepAlive_.start();
}

bool ResultsServer::listening() const {
    return !servers().isEmpty();
}

quint16 ResultsServer::port() const {
    return listening() ? servers().constFirst()->serverPort() : 0;
}

QStringList ResultsServer::addresses() const {
    QStringList addresses;
    const auto address = [this](const QString& host) {
        return QStringLiteral("http://%1:%2/").arg(host).arg(port());
    };
    if (everywhere_) {
        for (const QHostAddress& host : QNetworkInterface::allAddresses()) {
            if (host.protocol() == QAbstractSocket::IPv4Protocol && !host.isLoopback()) {
                addresses << address(host.toString());
            }
        }
    }
    addresses << address(QStringLiteral("127.0.0.1"));
    return addresses;
}

int ResultsServer::streamCount() {
    streams_.removeIf([](const QPointer<QTcpSocket>& socket) {
        return socket.isNull() || socket->state() != QAbstractSocket::ConnectedState;
    });
    return static_cast<int>(streams_.size());
}

// A request that grows past its bounds (its bytes, its header lines) is cut off before the
// HTTP server buffers more of it. What arrives is looked at before the server reads it;
// the count starts again with each request answered. A connection that asks nothing for a
// while is closed; a stream is not.
void ResultsServer::watch(QTcpSocket* socket) {
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    idle->setInterval(limits_.idle);
    // Closing waits for what is still unsent; a client that takes none of it for another
    // idle while is cut off.
    connect(idle, &QTimer::timeout, socket, [socket, idle] {
        if (socket->property(kStreamFlag).toBool()) {
            return;
        }
        if (socket->state() == QAbstractSocket::ClosingState) {
            socket->abort();
            return;
        }
        socket->disconnectFromHost();
        idle->start();
    });
    idle->start();
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, idle] {
        idle->start();
        const QByteArray arrived = socket->peek(socket->bytesAvailable());
        const qint64 bytes = socket->property(kRequestBytes).toLongLong() + arrived.size();
        const qint64 lines = socket->property(kRequestLines).toLongLong() + arrived.count('\n');
        socket->setProperty(kRequestBytes, bytes);
        socket->setProperty(kRequestLines, lines);
        if (bytes > limits_.requestBytes || lines > limits_.headers + 2) {
            // Queued: the HTTP server's own handling of this read comes next.
            QMetaObject::invokeMethod(
                socket, [socket] { socket->abort(); }, Qt::QueuedConnection);
        }
    });
    connect(socket, &QTcpSocket::bytesWritten, idle, [idle] { idle->start(); });
}

void ResultsServer::refresh() {
    if (pages_.refresh()) {
        tellStreams("event: zmena\ndata: " + pages_.lastChange().toString(Qt::ISODate).toUtf8() +
                    "\n\n");
        emit pagesChanged();
    }
}

void ResultsServer::tellStreams(const QByteArray& message) {
    streamCount();
    for (const QPointer<QTcpSocket>& socket : std::as_const(streams_)) {
        if (socket->bytesToWrite() > limits_.unsentBytes) {
            socket->abort();
        } else {
            socket->write(message);
        }
    }
}

void ResultsServer::answer(const QHttpServerRequest& request, QTcpSocket* socket,
                           QHttpServerResponder::StatusCode status, const QByteArray& type,
                           const QByteArray& body, QHttpServerResponder::HeaderList extra) {
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(status);
    writeCommonHeaders(responder, type);
    responder.writeHeaders(extra);
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    responder.writeBody(isHead(request) ? QByteArray() : body);
}

bool ResultsServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    socket->setProperty(kRequestBytes, 0);
    socket->setProperty(kRequestLines, 0);
    if (request.url().toEncoded().size() > limits_.urlBytes) {
        answer(request, socket, Status::UriTooLong, kText, "Adresa je příliš dlouhá.\n");
    } else if (request.method() != QHttpServerRequest::Method::Get && !isHead(request)) {
        answer(request, socket, Status::MethodNotAllowed, kText, "Výsledky lze jen číst.\n",
               {{"Allow", "GET, HEAD"}});
    } else {
        answerPath(request, socket);
    }
    return true;
}

// The path is looked up among the names served, never made into a file name.
void ResultsServer::answerPath(const QHttpServerRequest& request, QTcpSocket* socket) {
    const QByteArray path = request.url().path(QUrl::FullyEncoded).toUtf8();
    if (path == ServedPages::kStream) {
        openStream(request, socket);
    } else if (path == kHealth) {
        answerHealth(request, socket);
    } else if (const ServedPage* page = pages_.find(path)) {
        answer(request, socket, Status::Ok, page->type, page->bytes);
    } else {
        answer(request, socket, Status::NotFound, kText, "Taková stránka tu není.\n");
    }
}

// For a monitoring check: 200 with the time of the last change while the rows can be read.
void ResultsServer::answerHealth(const QHttpServerRequest& request, QTcpSocket* socket) {
    if (!pages_.problem().isEmpty()) {
        answer(request, socket, Status::ServiceUnavailable, kText,
               pages_.problem().toUtf8() + "\n");
        return;
    }
    answer(request, socket, Status::Ok, kText,
           "Poslední změna: " + pages_.lastChange().toString(Qt::ISODate).toUtf8() + "\n");
}

// The stream has no length: it lasts until either side closes it. The browser retries a
// dropped one after a second.
void ResultsServer::openStream(const QHttpServerRequest& request, QTcpSocket* socket) {
    if (streamCount() >= limits_.streams) {
        answer(request, socket, Status::ServiceUnavailable, kText,
               "Výsledky teď sleduje příliš mnoho lidí; zkuste to za chvíli.\n",
               {{"Retry-After", "10"}});
        return;
    }
    if (isHead(request)) {
        answer(request, socket, Status::Ok, kEventStream, {});
        return;
    }
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(Status::Ok);
    writeCommonHeaders(responder, kEventStream);
    responder.writeHeader("Connection", "close");
    responder.writeBody("retry: 1000\n\n");
    socket->setProperty(kStreamFlag, true);
    streams_.append(socket);
}

void ResultsServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    // Every request is answered in handleRequest; this is only the HTTP server's fallback.
    answer(request, socket, Status::NotFound, kText, "Taková stránka tu není.\n");
}

}  // namespace zlt::web
