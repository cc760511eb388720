#include "web/ServerProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <stdexcept>

namespace zlt::web {
namespace {

constexpr int kStartTime = 10'000;
constexpr std::chrono::milliseconds kRestartPause{1000};
constexpr std::chrono::milliseconds kRetryPause{5000};
// Beyond this much unread by the server, only the newest pages are sent once it reads.
constexpr qint64 kUnreadBytes = 32 << 20;

}  // namespace

// Beside the program (a copied test), installed beside the program's libraries, or where
// it was built.
QString ServerProcess::program() {
    const QDir programs(QCoreApplication::applicationDirPath());
    for (const QString& path :
         {programs.absoluteFilePath(QFileInfo(QStringLiteral(ZLT_RESULTS_SERVER_BUILT)).fileName()),
          programs.absoluteFilePath(QStringLiteral(ZLT_RESULTS_SERVER_INSTALLED))}) {
        if (QFileInfo(path).isExecutable()) {
            return QDir::cleanPath(path);
        }
    }
    return QStringLiteral(ZLT_RESULTS_SERVER_BUILT);
}

ServerProcess::ServerProcess() {
    restart_.setSingleShot(true);
    connect(&restart_, &QTimer::timeout, this, &ServerProcess::restart);
}

ServerProcess::~ServerProcess() {
    if (process_) {
        process_->disconnect(this);
        // Its standard input ends, and so does the server.
        process_->closeWriteChannel();
        if (!process_->waitForFinished(2000)) {
            process_->kill();
            process_->waitForFinished(2000);
        }
    }
}

void ServerProcess::start(quint16 port, bool everywhere) {
    port_ = port;
    everywhere_ = everywhere;
    launch();
}

// The server says "port N" once it listens, or "chyba: …" with the reason.
void ServerProcess::launch() {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{QStringLiteral("--port"), QString::number(port_)};
    if (everywhere_) {
        arguments << QStringLiteral("--listen-all");
    }
    process->start(program(), arguments);
    QByteArray said;
    while (!said.contains('\n') && process->waitForReadyRead(kStartTime)) {
        said += process->readLine();
    }
    const QString line = QString::fromUtf8(said).trimmed();
    if (!line.startsWith(QStringLiteral("port "))) {
        process->kill();
        process->waitForFinished(2000);
        throw std::runtime_error(
            line.startsWith(QStringLiteral("chyba: "))
                ? line.mid(7).toStdString()
                : QStringLiteral("Výsledky na síti nelze spustit: program %1 se nespustil (%2).")
                      .arg(program(), process->errorString())
                      .toStdString());
    }
    port_ = static_cast<quint16>(line.mid(5).toUInt());
    connect(process.get(), &QProcess::finished, this, &ServerProcess::ended);
    connect(process.get(), &QProcess::readyReadStandardOutput, this, &ServerProcess::readSaid);
    connect(process.get(), &QProcess::bytesWritten, this, [this] {
        if (pending_) {
            send();
        }
    });
    process_ = std::move(process);
    sent_.clear();
    served_ = 0;
    said_.clear();
    send();
}

void ServerProcess::readSaid() {
    said_ += process_->readAllStandardOutput();
    qsizetype end = 0;
    while ((end = said_.indexOf('\n')) >= 0) {
        const QByteArray line = said_.left(end);
        said_.remove(0, end + 1);
        if (line.startsWith("verze ")) {
            served_ = std::max(served_, line.mid(6).toLongLong());
        }
    }
}

bool ServerProcess::waitUntilServed(qint64 version) {
    while (served_ < version && process_ && process_->waitForReadyRead(kStartTime)) {
        readSaid();
    }
    return served_ >= version;
}

void ServerProcess::publish(qint64 version, const QDateTime& lastChange, const QString& problem,
                            const PageMap& pages) {
    wanted_.version = version;
    wanted_.lastChange = lastChange;
    wanted_.problem = problem;
    wantedPages_ = pages;
    send();
}

void ServerProcess::send() {
    pending_ = true;
    if (!process_ || process_->state() != QProcess::Running || wanted_.version == 0 ||
        process_->bytesToWrite() > kUnreadBytes) {
        return;
    }
    PageUpdate update = difference(sent_, wantedPages_);
    update.version = wanted_.version;
    update.lastChange = wanted_.lastChange;
    update.problem = wanted_.problem;
    process_->write(frame(update));
    sent_ = wantedPages_;
    pending_ = false;
}

qint64 ServerProcess::processId() const {
    return process_ ? process_->processId() : 0;
}

// Whatever ended it (a crash, a kill, the last descriptor), the phones get their server
// back after a pause, on the port they know.
void ServerProcess::ended() {
    process_->disconnect(this);
    process_.release()->deleteLater();
    restart_.start(kRestartPause);
}

void ServerProcess::restart() {
    try {
        launch();
        emit restarted();
    } catch (const std::exception&) {
        restart_.start(kRetryPause);
    }
}

}  // namespace zlt::web
