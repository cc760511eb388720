#pragma once

#include <QHash>
#include <QString>
#include <QTcpServer>
#include <chrono>

class QTcpSocket;

namespace zlt::web {

// The listening socket of the results server, standing in front of Qt's HTTP server: it
// admits a connection only within the bounds on connections in all and from one address,
// and watches every admitted one, so that a client sending slowly, sending too much or
// leaving without a word holds nothing for long. Refused clients get a short 503 with
// Retry-After and are closed at once. A few file descriptors are kept in reserve so that
// even at the process's limit a client can still be accepted and turned away, instead of
// being left to wait in the listen queue.
class ConnectionGuard : public QTcpServer {
public:
    struct Bounds {
        int connections;
        int perAddress;
        qint64 requestBytes;
        qint64 headerLines;
        std::chrono::milliseconds requestTime;
        std::chrono::milliseconds idle;
    };
    // Descriptors the process keeps for itself: its pipes, its listening sockets, what Qt
    // opens, and the one held in reserve.
    static constexpr long kReservedFiles = 64;

    ConnectionGuard(Bounds bounds, QObject* parent);
    ~ConnectionGuard() override;

    // A request on the socket was answered: the clock starts anew for the next one, or the
    // connection closes once the answer is out when the client asked for that.
    void answered(QTcpSocket* socket, bool closeAfter);
    // The socket carries a stream from now on, which lasts until either side closes it.
    void holdOpen(QTcpSocket* socket);
    int count() const { return total_; }

protected:
    void incomingConnection(qintptr handle) override;

private:
    int connectionBound() const;
    void admit(qintptr handle, const QString& address);
    void watch(QTcpSocket* socket);
    void leaveOnExhaustion(QAbstractSocket::SocketError error);

    Bounds bounds_;
    int reserve_ = -1;
    int total_ = 0;
    QHash<QString, int> fromAddress_;
};

}  // namespace zlt::web
