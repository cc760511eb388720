#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QTimer>
#include <map>

namespace zlt::test {

// What a server answered over real HTTP.
struct HttpAnswer {
    int status = 0;
    std::map<QByteArray, QByteArray> headers;  // names in lower case
    QByteArray body;
    bool has(const QByteArray& header) const { return headers.count(header) > 0; }
    QByteArray header(const QByteArray& name) const {
        const auto found = headers.find(name);
        return found == headers.end() ? QByteArray() : found->second;
    }
};

// A request through QNetworkAccessManager to this computer's port, the event loop turning
// meanwhile (the server may run in this process).
inline HttpAnswer httpRequest(quint16 port, const QByteArray& path,
                              const QByteArray& method = "GET") {
    QNetworkAccessManager manager;
    QNetworkRequest request(
        QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port) + QString::fromUtf8(path)));
    request.setTransferTimeout(5000);
    // Only head() tells the manager that no body follows the headers.
    QNetworkReply* reply =
        method == "HEAD" ? manager.head(request) : manager.sendCustomRequest(request, method);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    HttpAnswer answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    for (const auto& [name, value] : reply->rawHeaderPairs()) {
        answer.headers[name.toLower()] = value;
    }
    answer.body = reply->readAll();
    reply->deleteLater();
    return answer;
}

// A socket to this computer's port that the test writes raw bytes to and reads from; from
// a loopback address of its own when given, as another phone on the network would be.
class RawHttp {
public:
    explicit RawHttp(quint16 port, const QString& from = {}) {
        if (!from.isEmpty()) {
            socket_.bind(QHostAddress(from));
        }
        socket_.connectToHost(QStringLiteral("127.0.0.1"), port);
        socket_.waitForConnected(5000);
    }
    QTcpSocket& socket() { return socket_; }
    void send(const QByteArray& bytes) {
        socket_.write(bytes);
        socket_.flush();
    }
    // Reads while the event loop turns, until the text has come or the time is up.
    QByteArray readUntil(const QByteArray& text, int milliseconds = 5000) {
        QElapsedTimer clock;
        clock.start();
        while (!received_.contains(text) && clock.elapsed() < milliseconds &&
               socket_.state() == QAbstractSocket::ConnectedState) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            received_ += socket_.readAll();
        }
        received_ += socket_.readAll();
        return received_;
    }
    // True when the server closed the connection within the time.
    bool closedWithin(int milliseconds) {
        QElapsedTimer clock;
        clock.start();
        while (socket_.state() == QAbstractSocket::ConnectedState &&
               clock.elapsed() < milliseconds) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            received_ += socket_.readAll();
        }
        return socket_.state() != QAbstractSocket::ConnectedState;
    }
    const QByteArray& received() const { return received_; }
    void clear() { received_.clear(); }

private:
    QTcpSocket socket_;
    QByteArray received_;
};

// The status of a raw request line, such as "GET /../x HTTP/1.1"; 0 when none came.
inline int rawStatus(quint16 port, const QByteArray& requestLine) {
    RawHttp http(port);
    http.send(requestLine + "\r\nHost: 127.0.0.1\r\n\r\n");
    const QByteArray answer = http.readUntil("\r\n\r\n");
    if (!answer.startsWith("HTTP/1.1 ")) {
        return 0;
    }
    return answer.mid(9, 3).toInt();
}

}  // namespace zlt::test
