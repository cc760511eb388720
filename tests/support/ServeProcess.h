#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

namespace zlt::test {

// zlt-event serve as a process of its own, killed when the test is done if still running.
class ServeProcess {
public:
    ~ServeProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    void start(const QString& folder, const QStringList& more = {}) {
        process.start(QStringLiteral(ZLT_EVENT_TOOL),
                      QStringList{QStringLiteral("serve"), folder} + more);
        process.waitForStarted(5000);
    }

    // The port of the loopback address it printed; 0 when it ended without one.
    quint16 printedPort() {
        static const QRegularExpression address(QStringLiteral("http://127\\.0\\.0\\.1:(\\d+)/"));
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000) {
            out += process.readAllStandardOutput();
            if (const auto found = address.match(QString::fromUtf8(out)); found.hasMatch()) {
                return static_cast<quint16>(found.captured(1).toUInt());
            }
            if (!process.waitForReadyRead(100) && process.state() == QProcess::NotRunning) {
                break;
            }
        }
        return 0;
    }

    // Its exit code once it ended (-1 for a crash), with all it printed read.
    int finished() {
        process.waitForFinished(30000);
        out += process.readAllStandardOutput();
        err += process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QProcess process;
    QByteArray out;
    QByteArray err;
};

}  // namespace zlt::test
