#include "platform/EndSignals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <stdexcept>

namespace zlt::platform {
namespace {

sigset_t endSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

void blockEndSignals() {
    const sigset_t set = endSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
    const sigset_t set = endSignals();
    descriptor_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (descriptor_ < 0) {
        throw std::runtime_error("The end signals cannot be watched");
    }
    notifier_ = new QSocketNotifier(descriptor_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &EndSignals::readSignal);
}

EndSignals::~EndSignals() {
    ::close(descriptor_);
}

void EndSignals::readSignal() {
    signalfd_siginfo info{};
    if (::read(descriptor_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        emit received(static_cast<int>(info.ssi_signo));
    }
}

}  // namespace zlt::platform
