#include "web/ConnectionGuard.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

#include "web/OpenFiles.h"

namespace zlt::web {
namespace {

constexpr int kConnectionQueue = 1024;
constexpr std::chrono::milliseconds kResumeAfterExhaustion{50};
constexpr std::chrono::milliseconds kLingerAfterClientLeft{1000};

QByteArray busyAnswer() {
    const QByteArray body = QByteArrayLiteral(
        "V\xc3\xbdsledky te\xc4\x8f sleduje p\xc5\x99\xc3\xadli\xc5\xa1 mnoho lid\xc3\xad; "
        "zkuste to za chv\xc3\xadli.\n");
    return QByteArrayLiteral(
               "HTTP/1.1 503 Service Unavailable\r\nRetry-After: 10\r\n"
               "Content-Type: text/plain; charset=utf-8\r\nConnection: close\r\n"
               "Content-Length: ") +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// Turns a client away without keeping its descriptor a moment longer than it takes: what it
// sent is read first, so that closing does not reset the connection under the answer.
void refuse(qintptr handle) {
    static const QByteArray answer = busyAnswer();
    char discard[4096];
    while (::recv(static_cast<int>(handle), discard, sizeof discard, MSG_DONTWAIT) > 0) {
    }
    [[maybe_unused]] const ssize_t sent =
        ::send(static_cast<int>(handle), answer.constData(), static_cast<size_t>(answer.size()),
               MSG_DONTWAIT | MSG_NOSIGNAL);
    ::shutdown(static_cast<int>(handle), SHUT_WR);
    ::close(static_cast<int>(handle));
}

// An IPv4 client on a socket listening on every address shows as ::ffff:a.b.c.d.
QString peerOf(qintptr handle) {
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(static_cast<int>(handle), reinterpret_cast<sockaddr*>(&peer), &size) != 0) {
        return {};
    }
    const QHostAddress address(reinterpret_cast<const sockaddr*>(&peer));
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

int openReserve() {
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

// Where a connection stands, and the clock that ends it when it stays there too long.
class Watch : public QObject {
public:
    enum class Phase { Waiting, Requesting, Answered, Stream };

    Watch(QTcpSocket* socket, const ConnectionGuard::Bounds& bounds)
        : QObject(socket), socket_(socket), bounds_(bounds) {
        setObjectName(QLatin1String(kName));
        clock_.setSingleShot(true);
        connect(&clock_, &QTimer::timeout, this, &Watch::timeUp);
        connect(socket, &QTcpSocket::readyRead, this, &Watch::arrived);
        connect(socket, &QTcpSocket::bytesWritten, this, [this] {
            if (phase_ == Phase::Answered) {
                clock_.start(bounds_.idle);
            }
        });
        // A client that has gone needs no answer: its socket is not left half closed.
        connect(socket, &QTcpSocket::readChannelFinished, this, [this] {
            QMetaObject::invokeMethod(
                socket_,
                [socket = socket_] {
                    socket->disconnectFromHost();
                    QTimer::singleShot(kLingerAfterClientLeft, socket,
                                       [socket] { socket->abort(); });
                },
                Qt::QueuedConnection);
        });
        clock_.start(bounds_.requestTime);
    }

    static constexpr const char* kName = "zltWatch";
    static Watch* of(QTcpSocket* socket) {
        return static_cast<Watch*>(
            socket->findChild<QObject*>(QLatin1String(kName), Qt::FindDirectChildrenOnly));
    }

    void answered() {
        bytes_ = 0;
        lines_ = 0;
        phase_ = Phase::Answered;
        clock_.start(bounds_.idle);
    }
    void holdOpen() {
        phase_ = Phase::Stream;
        clock_.stop();
    }

private:
    // What arrives is looked at before the HTTP server reads it: a request growing past
    // its bounds is cut off before more of it is buffered.
    void arrived() {
        if (phase_ == Phase::Waiting || phase_ == Phase::Answered) {
            phase_ = Phase::Requesting;
            clock_.start(bounds_.requestTime);
        }
        const QByteArray bytes = socket_->peek(socket_->bytesAvailable());
        bytes_ += bytes.size();
        lines_ += bytes.count('\n');
        if (bytes_ > bounds_.requestBytes || lines_ > bounds_.headerLines + 2) {
            // Queued: the HTTP server's own handling of this read comes next.
            QMetaObject::invokeMethod(
                socket_, [socket = socket_] { socket->abort(); }, Qt::QueuedConnection);
        }
    }

    // A request that did not arrive in time is not answered. An idle connection is closed
    // once its answer is out; a client that takes none of it for another while is cut off.
    void timeUp() {
        switch (phase_) {
            case Phase::Stream:
                return;
            case Phase::Waiting:
            case Phase::Requesting:
                socket_->abort();
                return;
            case Phase::Answered:
                if (socket_->state() == QAbstractSocket::ClosingState) {
                    socket_->abort();
                    return;
                }
                socket_->disconnectFromHost();
                clock_.start(bounds_.idle);
                return;
        }
    }

    QTcpSocket* socket_;
    ConnectionGuard::Bounds bounds_;
    QTimer clock_;
    Phase phase_ = Phase::Waiting;
    qint64 bytes_ = 0;
    qint64 lines_ = 0;
};

}  // namespace

ConnectionGuard::ConnectionGuard(Bounds bounds, QObject* parent)
    : QTcpServer(parent), bounds_(bounds), reserve_(openReserve()) {
    // Every page open may ask at the same moment: a short queue of connections waiting to
    // be taken would drop some, and their phones would retry only after a second.
    setListenBacklogSize(kConnectionQueue);
    setMaxPendingConnections(kConnectionQueue);
    connect(this, &QTcpServer::acceptError, this, &ConnectionGuard::leaveOnExhaustion);
}

ConnectionGuard::~ConnectionGuard() {
    // Their ends count down what this guard holds: they go while it still does.
    qDeleteAll(findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly));
    if (reserve_ >= 0) {
        ::close(reserve_);
    }
}

int ConnectionGuard::connectionBound() const {
    const long files = openFileLimit() - kReservedFiles;
    return static_cast<int>(std::clamp<long>(files, 0, bounds_.connections));
}

void ConnectionGuard::incomingConnection(qintptr handle) {
    const QString address = peerOf(handle);
    if (total_ >= connectionBound() || fromAddress_.value(address) >= bounds_.perAddress) {
        refuse(handle);
        return;
    }
    admit(handle, address);
}

void ConnectionGuard::admit(qintptr handle, const QString& address) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        delete socket;
        ::close(static_cast<int>(handle));
        return;
    }
    ++total_;
    ++fromAddress_[address];
    connect(socket, &QObject::destroyed, this, [this, address] {
        --total_;
        if (--fromAddress_[address] <= 0) {
            fromAddress_.remove(address);
        }
    });
    new Watch(socket, bounds_);
    addPendingConnection(socket);
}

void ConnectionGuard::answered(QTcpSocket* socket, bool closeAfter) {
    if (closeAfter) {
        socket->disconnectFromHost();
    }
    if (Watch* watch = Watch::of(socket)) {
        watch->answered();
    }
}

void ConnectionGuard::holdOpen(QTcpSocket* socket) {
    if (Watch* watch = Watch::of(socket)) {
        watch->holdOpen();
    }
}

// Out of descriptors, the listening socket stops accepting and waiting clients would
// hang in its queue: the reserve makes room to take one and turn it away, and accepting
// resumes a moment later.
void ConnectionGuard::leaveOnExhaustion(QAbstractSocket::SocketError error) {
    if (error == QAbstractSocket::SocketResourceError && reserve_ >= 0) {
        ::close(reserve_);
        const int handle = ::accept4(static_cast<int>(socketDescriptor()), nullptr, nullptr,
                                     SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (handle >= 0) {
            refuse(handle);
        }
        reserve_ = openReserve();
    }
    QTimer::singleShot(kResumeAfterExhaustion, this, [this] { resumeAccepting(); });
}

}  // namespace zlt::web
