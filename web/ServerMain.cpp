// zlt-results-server: the results server as a process of its own, started by the program
// or by zlt-event serve, which hand it the pages over its standard input. It holds every
// socket, so that whatever the clients do to it (a flood, slow requests, the last file
// descriptor) never reaches the process that holds the database and the operator's typing.
// It says "port N" on its standard output once it listens, or "chyba: …" and ends; then
// "verze N" for each version of the pages it serves.
#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <exception>

#include "web/OpenFiles.h"
#include "web/PageUpdate.h"
#include "web/ResultsServer.h"

namespace {

using zlt::web::ResultsServer;

struct Options {
    quint16 port = ResultsServer::kDefaultPort;
    bool everywhere = false;
};

Options optionsOf(const QStringList& arguments) {
    Options options;
    const qsizetype port = arguments.indexOf(QStringLiteral("--port"));
    if (port >= 0) {
        options.port = static_cast<quint16>(arguments.value(port + 1).toUInt());
    }
    options.everywhere = arguments.contains(QStringLiteral("--listen-all"));
    return options;
}

// The pages arrive on standard input; its end is the program's end, and the server's.
void readPages(ResultsServer& server) {
    static zlt::web::FrameReader reader;
    ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &server);
    QObject::connect(notifier, &QSocketNotifier::activated, &server, [&server, notifier] {
        char bytes[64 * 1024];
        ssize_t got = 0;
        while ((got = ::read(STDIN_FILENO, bytes, sizeof bytes)) > 0) {
            reader.append(QByteArray(bytes, got));
        }
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
            notifier->setEnabled(false);
            QCoreApplication::quit();
        }
        try {
            while (auto update = reader.next()) {
                server.publish(*update);
                std::printf("verze %lld\n", static_cast<long long>(update->version));
            }
            std::fflush(stdout);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "zlt-results-server: %s\n", error.what());
            QCoreApplication::exit(3);
        }
    });
}

}  // namespace

int main(int argc, char** argv) {
    // The program and zlt-event block the end signals to read them in their event loop, and
    // a blocked signal stays blocked across exec: unblocked here, so that a plain kill ends
    // the server, and so does the death signal below.
    sigset_t none;
    sigemptyset(&none);
    pthread_sigmask(SIG_SETMASK, &none, nullptr);
    // Never outlive the program that feeds it, not even one killed without a word: the port
    // would stay taken from the program's next start.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    std::signal(SIGPIPE, SIG_IGN);
    zlt::web::raiseOpenFileLimit();
    QCoreApplication application(argc, argv);
    const Options options = optionsOf(QCoreApplication::arguments());
    ResultsServer server;
    try {
        server.start(options.port, options.everywhere);
    } catch (const std::exception& error) {
        std::printf("chyba: %s\n", error.what());
        return 2;
    }
    std::printf("port %u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    readPages(server);
    return QCoreApplication::exec();
}
