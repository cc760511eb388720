#pragma once

#include <sys/types.h>

#include <cstdint>

namespace zlt::bench {

// Clients on the loopback that hold connections to a server the slow way: each sends part
// of a request, then a byte now and then, and never finishes it. A connection the server
// cuts or turns away is opened again at once, so that as many stay connected as asked.
// They run in a child process of their own, so that their descriptors and their work are
// not the measured process's: make this first thing in main, before any thread starts, as
// the child is forked from the process as it is then.
class SlowClients {
public:
    // How the connections stand, as the clients see them.
    struct Held {
        // Connected, part of a request sent, not yet cut.
        int connected = 0;
        // Cut by the server after they had connected, and opened again.
        int cut = 0;
        // Turned away with an answer (the server's 503) at once.
        int refused = 0;
    };

    // Connections come from these loopback addresses in turn, 127.0.0.2 to 127.0.0.40: a
    // server takes only so many from one address.
    static constexpr int kFirstSource = 2;
    static constexpr int kLastSource = 40;

    SlowClients();
    ~SlowClients();
    SlowClients(const SlowClients&) = delete;
    SlowClients& operator=(const SlowClients&) = delete;

    // Opens this many connections to the port on 127.0.0.1, spread evenly over the ramp,
    // and keeps that many from then on.
    void start(std::uint16_t port, int count, int rampMilliseconds);
    Held held();
    // Closes every connection; the clients wait for the next start.
    void stop();
    pid_t processId() const { return child_; }

private:
    void say(const char* line);

    pid_t child_ = -1;
    int control_ = -1;
};

}  // namespace zlt::bench
