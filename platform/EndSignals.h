#pragma once

#include <QObject>

class QSocketNotifier;

namespace zlt::platform {

// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, Ctrl+C) are taken away from
// every thread, so that no library's own handler acts on them, and handed to the window
// thread as a Qt signal, where the program can still write what is being typed.
// Call blockEndSignals before any thread starts; threads inherit the blocked set.
void blockEndSignals();

class EndSignals : public QObject {
    Q_OBJECT
public:
    explicit EndSignals(QObject* parent = nullptr);
    ~EndSignals() override;

signals:
    void received(int signal);

private:
    void readSignal();

    int descriptor_;
    QSocketNotifier* notifier_;
};

}  // namespace zlt::platform
