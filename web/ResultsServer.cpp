#include "web/ResultsServer.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QUrlQuery>
#include <stdexcept>
#include <utility>

#include "web/ConnectionGuard.h"

namespace zlt::web {
namespace {

using Status = QHttpServerResponder::StatusCode;

// Nothing but the server's own script and its own requests, no frames, no forms: a name
// that got past the escaping still could not run anything.
const QByteArray kPolicy = QByteArrayLiteral(
    "default-src 'none'; script-src 'self'; connect-src 'self'; style-src 'unsafe-inline'; "
    "img-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
const QByteArray kText = QByteArrayLiteral("text/plain; charset=utf-8");
const QByteArray kEventStream = QByteArrayLiteral("text/event-stream");

bool isHead(const QHttpServerRequest& request) {
    return request.method() == QHttpServerRequest::Method::Head;
}

bool wantsClose(const QHttpServerRequest& request) {
    return request.value("connection").toLower().contains("close");
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

// The version a reconnecting stream last saw: the browser's own Last-Event-ID on its
// automatic reconnects, or "od" when the page opens the stream itself. -1 when unknown.
qint64 lastSeen(const QHttpServerRequest& request) {
    QByteArray seen = request.value("last-event-id");
    if (seen.isEmpty()) {
        seen = QUrlQuery(request.url()).queryItemValue(QStringLiteral("od")).toLatin1();
    }
    bool number = false;
    const qint64 version = seen.trimmed().toLongLong(&number);
    return number && version >= 0 ? version : -1;
}

QByteArray streamEvent(const char* name, qint64 id, const QByteArray& data) {
    return "id: " + QByteArray::number(id) + "\nevent: " + name + "\ndata: " + data + "\n\n";
}

}  // namespace

ResultsServer::ResultsServer(Limits limits) : limits_(limits) {
    keepAlive_.setInterval(limits_.keepAlive);
    connect(&keepAlive_, &QTimer::timeout, this,
            [this] { tellStreams(streamEvent("tep", version_, QByteArray::number(version_))); });
}

ResultsServer::~ResultsServer() = default;

void ResultsServer::start(quint16 port, bool everywhere) {
    auto* guard =
        new ConnectionGuard({limits_.connections, limits_.perAddress, limits_.requestBytes,
                             limits_.headers, limits_.requestTime, limits_.idle},
                            this);
    if (!guard->listen(everywhere ? QHostAddress::Any : QHostAddress::LocalHost, port)) {
        const QString message = portMessage(port, *guard);
        delete guard;
        throw std::runtime_error(message.toStdString());
    }
    guard_ = guard;
    bind(guard);
    // Without pages a phone would find none, and a stream would catch up with nothing and
    // miss what the first version brings: until it comes, which is a moment after the start
    // (and after a restart of the server process), clients wait in the queue instead.
    if (version_ == 0) {
        guard->pauseAccepting();
    }
    keepAlive_.start();
}

quint16 ResultsServer::port() const {
    return guard_ ? guard_->serverPort() : 0;
}

int ResultsServer::streamCount() {
    streams_.removeIf([](const QPointer<QTcpSocket>& socket) {
        return socket.isNull() || socket->state() != QAbstractSocket::ConnectedState;
    });
    return static_cast<int>(streams_.size());
}

int ResultsServer::connectionCount() const {
    return guard_ ? guard_->count() : 0;
}

void ResultsServer::publish(const PageUpdate& update) {
    std::set<QByteArray> changed;
    for (const auto& [path, page] : update.pages) {
        auto& held = pages_[path];
        if (page.isHtml() && !(held == page)) {
            changed.insert(path);
        }
        held = page;
    }
    for (const QByteArray& path : update.removed) {
        pages_.erase(path);
    }
    const bool first = version_ == 0;
    version_ = update.version;
    lastChange_ = update.lastChange;
    problem_ = update.problem;
    stamp();
    if (first) {
        coveredSince_ = version_;
        if (guard_) {
            guard_->resumeAccepting();
        }
        return;
    }
    remember(changed);
    if (!changed.empty()) {
        tellStreams(changeEvent(changed));
    }
}

// Every HTML page carries the version it shows, from which its stream catches up.
void ResultsServer::stamp() {
    const QByteArray stamped =
        QByteArray(kVersionMark).replace("\"\"", "\"" + QByteArray::number(version_) + "\"");
    served_ = pages_;
    for (auto& [path, page] : served_) {
        if (page.isHtml()) {
            page.bytes.replace(kVersionMark, stamped);
        }
    }
}

void ResultsServer::remember(std::set<QByteArray> paths) {
    history_.emplace_back(version_, std::move(paths));
    while (history_.size() > static_cast<std::size_t>(limits_.versionsKept)) {
        coveredSince_ = history_.front().first;
        history_.pop_front();
    }
}

// The pages as they now are, so that a page redraws from the stream alone without asking
// for itself again: {"verze": 12, "cas": "…", "stranky": {"/": "<!DOCTYPE html>…"}}.
QByteArray ResultsServer::changeEvent(const std::set<QByteArray>& paths) const {
    QJsonObject pages;
    for (const QByteArray& path : paths) {
        if (const auto page = served_.find(path); page != served_.end()) {
            pages.insert(QString::fromUtf8(path), QString::fromUtf8(page->second.bytes));
        }
    }
    const QJsonObject data{
        {"verze", version_}, {"cas", lastChange_.toString(Qt::ISODate)}, {"stranky", pages}};
    return streamEvent("zmena", version_, QJsonDocument(data).toJson(QJsonDocument::Compact));
}

// A stream that comes back gets what changed while it was away: the pages changed since the
// version it saw when that is recent enough, else every page.
QByteArray ResultsServer::catchUp(const QHttpServerRequest& request) const {
    const qint64 seen = lastSeen(request);
    if (seen < 0 || seen == version_) {
        return {};
    }
    std::set<QByteArray> paths;
    if (seen >= coveredSince_ && seen < version_) {
        for (const auto& [version, changed] : history_) {
            if (version > seen) {
                paths.insert(changed.begin(), changed.end());
            }
        }
    } else {
        for (const auto& [path, page] : served_) {
            if (page.isHtml()) {
                paths.insert(path);
            }
        }
    }
    return changeEvent(paths);
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
    const bool close = wantsClose(request);
    {
        QHttpServerResponder responder = makeResponder(request, socket);
        responder.writeStatusLine(status);
        writeCommonHeaders(responder, type);
        responder.writeHeaders(extra);
        if (close) {
            responder.writeHeader("Connection", "close");
        }
        responder.writeHeader("Content-Length", QByteArray::number(body.size()));
        responder.writeBody(isHead(request) ? QByteArray() : body);
    }
    guard_->answered(socket, close);
}

bool ResultsServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
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
    if (path == kStream) {
        openStream(request, socket);
    } else if (path == kHealth) {
        answerHealth(request, socket);
    } else if (const auto page = served_.find(path); page != served_.end()) {
        answer(request, socket, Status::Ok, page->second.type, page->second.bytes);
    } else {
        answer(request, socket, Status::NotFound, kText, "Taková stránka tu není.\n");
    }
}

// For a monitoring check: 200 with the time of the last change while the rows can be read.
void ResultsServer::answerHealth(const QHttpServerRequest& request, QTcpSocket* socket) {
    if (!problem_.isEmpty()) {
        answer(request, socket, Status::ServiceUnavailable, kText, problem_.toUtf8() + "\n");
        return;
    }
    const QString changed =
        lastChange_.isValid() ? lastChange_.toString(Qt::ISODate) : QStringLiteral("neznámá");
    answer(request, socket, Status::Ok, kText, "Poslední změna: " + changed.toUtf8() + "\n");
}

// The stream has no length: it lasts until either side closes it. It starts with what the
// client missed, when it says what it last saw.
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
    responder.writeBody("retry: 1000\n\n" + catchUp(request));
    guard_->holdOpen(socket);
    streams_.append(socket);
}

void ResultsServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    // Every request is answered in handleRequest; this is only the HTTP server's fallback.
    answer(request, socket, Status::NotFound, kText, "Taková stránka tu není.\n");
}

}  // namespace zlt::web
