// A private Firebird server for scripts, as the server tests start one: once it takes
// connections, prints where a file of its data folder is (a location to which a file name
// is added) and the administrator's password, one a line; it stops the server and removes
// its folder on SIGTERM, SIGINT or SIGHUP, or when the process that started it ends.
// Where no server can start here it prints why and ends with 77.
#include <signal.h>
#include <sys/prctl.h>

#include <exception>
#include <iostream>

#include "tests/support/FirebirdServer.h"

int main() {
    using zlt::test::FirebirdServer;
    if (const auto why = FirebirdServer::unavailable()) {
        std::cout << *why << std::endl;
        return 77;
    }
    sigset_t endings;
    sigemptyset(&endings);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaddset(&endings, signal);
    }
    pthread_sigmask(SIG_BLOCK, &endings, nullptr);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    try {
        const FirebirdServer server;
        std::cout << server.location("") << '\n'
                  << FirebirdServer::kAdministratorPassword << std::endl;
        int received = 0;
        sigwait(&endings, &received);
    } catch (const std::exception& error) {
        std::cout << error.what() << std::endl;
        return 1;
    }
    return 0;
}
