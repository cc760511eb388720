#include "bench/SlowClients.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "web/OpenFiles.h"

namespace zlt::bench {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A byte a second keeps a connection "sending" without ever finishing its request.
constexpr milliseconds kByteEvery{1000};
// After a refusal or a failed connect: a server that turns clients away is not hammered.
constexpr milliseconds kRetryPause{100};
// Bytes due and connections to open are seen to this often, many at a time: the clients
// share the computer with what they load, and should take little of it.
constexpr milliseconds kTick{20};
// A request for a real page, cut off before its headers end.
constexpr char kRequestStart[] =
    "GET /prubezne-poradi.html HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: pomalu\r\nX-Pomalu: ";
constexpr std::uint64_t kControl = ~std::uint64_t{0};

// The child's side: every connection and the commands from the parent, in one epoll loop.
class Clients {
public:
    explicit Clients(int control) : control_(control), epoll_(::epoll_create1(EPOLL_CLOEXEC)) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = kControl;
        ::epoll_ctl(epoll_, EPOLL_CTL_ADD, control_, &event);
    }

    void run() {
        Clock::time_point tick = Clock::now();
        std::vector<epoll_event> events(1024);
        while (true) {
            const Clock::time_point now = Clock::now();
            if (now >= tick) {
                for (Slot& slot : slots_) {
                    if (slot.due <= now) {
                        if (slot.fd < 0) {
                            open(slot, now);
                        } else if (!slot.connecting) {
                            sendByte(slot, now);
                        }
                    }
                }
                tick = now + kTick;
            }
            // With no connections to keep, only a command wakes the loop.
            const auto wait = std::chrono::duration_cast<milliseconds>(tick - Clock::now());
            const int timeout =
                slots_.empty() ? -1 : static_cast<int>(std::max<long>(wait.count(), 0));
            const int ready =
                ::epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), timeout);
            if (ready < 0 && errno != EINTR) {
                return;
            }
            for (int entry = 0; entry < ready; ++entry) {
                const std::uint64_t index = events[static_cast<std::size_t>(entry)].data.u64;
                if (index == kControl) {
                    if (!command()) {
                        return;
                    }
                } else if (index < slots_.size() && slots_[index].fd >= 0) {
                    // A command may have closed or replaced the slots meanwhile.
                    service(slots_[index], Clock::now());
                }
            }
        }
    }

private:
    struct Slot {
        int fd = -1;
        bool connecting = false;
        // When to open it again (while closed) or to send the next byte (while connected).
        Clock::time_point due;
        in_addr_t source = 0;
    };

    // False once the parent is gone.
    bool command() {
        char bytes[256];
        const ssize_t got = ::read(control_, bytes, sizeof bytes);
        if (got <= 0) {
            return got < 0 && errno == EINTR;
        }
        pending_.append(bytes, static_cast<std::size_t>(got));
        for (std::size_t end = pending_.find('\n'); end != std::string::npos;
             end = pending_.find('\n')) {
            std::istringstream line(pending_.substr(0, end));
            pending_.erase(0, end + 1);
            std::string word;
            line >> word;
            if (word == "start") {
                int port = 0;
                int count = 0;
                int ramp = 0;
                line >> port >> count >> ramp;
                start(static_cast<std::uint16_t>(port), count, milliseconds(ramp));
            } else if (word == "ask") {
                int connected = 0;
                for (const Slot& slot : slots_) {
                    connected += slot.fd >= 0 && !slot.connecting ? 1 : 0;
                }
                answer(std::to_string(connected) + " " + std::to_string(cut_) + " " +
                       std::to_string(refused_) + "\n");
            } else if (word == "stop") {
                for (Slot& slot : slots_) {
                    closeSlot(slot);
                }
                slots_.clear();
                answer("ok\n");
            }
        }
        return true;
    }

    void answer(const std::string& text) {
        [[maybe_unused]] const ssize_t written = ::write(control_, text.data(), text.size());
    }

    void start(std::uint16_t port, int count, milliseconds ramp) {
        for (Slot& slot : slots_) {
            closeSlot(slot);
        }
        port_ = port;
        cut_ = 0;
        refused_ = 0;
        const Clock::time_point now = Clock::now();
        const int sources = SlowClients::kLastSource - SlowClients::kFirstSource + 1;
        slots_.resize(static_cast<std::size_t>(count));
        for (int index = 0; index < count; ++index) {
            Slot& slot = slots_[static_cast<std::size_t>(index)];
            slot.due = now + ramp * index / count;
            slot.source = htonl(
                (127u << 24) | static_cast<in_addr_t>(SlowClients::kFirstSource + index % sources));
        }
    }

    void open(Slot& slot, Clock::time_point now) {
        slot.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (slot.fd < 0) {
            slot.due = now + kRetryPause;
            return;
        }
        // The port is chosen at connect, from the ports free towards this one server.
        const int yes = 1;
        ::setsockopt(slot.fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &yes, sizeof yes);
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = slot.source;
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port_);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(slot.fd, reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0 ||
            (::connect(slot.fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0 &&
             errno != EINPROGRESS)) {
            closeSlot(slot);
            slot.due = now + kRetryPause;
            return;
        }
        slot.connecting = true;
        watch(slot, EPOLL_CTL_ADD, EPOLLOUT);
    }

    void watch(const Slot& slot, int operation, std::uint32_t events) {
        epoll_event event{};
        event.events = events;
        event.data.u64 = static_cast<std::uint64_t>(&slot - slots_.data());
        ::epoll_ctl(epoll_, operation, slot.fd, &event);
    }

    void service(Slot& slot, Clock::time_point now) {
        if (slot.connecting) {
            int error = 0;
            socklen_t size = sizeof error;
            ::getsockopt(slot.fd, SOL_SOCKET, SO_ERROR, &error, &size);
            if (error != 0) {
                closeSlot(slot);
                slot.due = now + kRetryPause;
                return;
            }
            slot.connecting = false;
            watch(slot, EPOLL_CTL_MOD, EPOLLIN);
            if (!sendAll(slot, kRequestStart, sizeof kRequestStart - 1)) {
                ++cut_;
                closeSlot(slot);
                slot.due = now;
                return;
            }
            // The bytes that follow come at a phase of their own for every connection.
            slot.due = now + milliseconds(phase_(random_));
            return;
        }
        char bytes[4096];
        const ssize_t got = ::recv(slot.fd, bytes, sizeof bytes, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return;
        }
        if (got > 0) {
            // Any answer to a request never finished is a refusal.
            ++refused_;
            closeSlot(slot);
            slot.due = now + kRetryPause;
        } else {
            ++cut_;
            closeSlot(slot);
            slot.due = now;
        }
    }

    void sendByte(Slot& slot, Clock::time_point now) {
        slot.due = now + kByteEvery;
        if (!sendAll(slot, "a", 1)) {
            ++cut_;
            closeSlot(slot);
            slot.due = now;
        }
    }

    static bool sendAll(const Slot& slot, const char* bytes, std::size_t size) {
        const ssize_t sent = ::send(slot.fd, bytes, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        return sent == static_cast<ssize_t>(size) || (sent < 0 && errno == EAGAIN);
    }

    static void closeSlot(Slot& slot) {
        if (slot.fd >= 0) {
            ::close(slot.fd);
        }
        slot.fd = -1;
        slot.connecting = false;
    }

    int control_;
    int epoll_;
    std::string pending_;
    std::vector<Slot> slots_;
    std::uint16_t port_ = 0;
    int cut_ = 0;
    int refused_ = 0;
    std::minstd_rand random_{20'260'101};
    std::uniform_int_distribution<int> phase_{0, static_cast<int>(kByteEvery.count())};
};

}  // namespace

SlowClients::SlowClients() {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        throw std::runtime_error(std::string("socketpair: ") + std::strerror(errno));
    }
    child_ = ::fork();
    if (child_ < 0) {
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    }
    if (child_ == 0) {
        ::close(ends[0]);
        // Never left behind holding connections, however the bench ends.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        std::signal(SIGPIPE, SIG_IGN);
        web::raiseOpenFileLimit();
        Clients(ends[1]).run();
        ::_exit(0);
    }
    ::close(ends[1]);
    control_ = ends[0];
}

SlowClients::~SlowClients() {
    ::close(control_);
    ::waitpid(child_, nullptr, 0);
}

void SlowClients::say(const char* line) {
    const std::size_t size = std::strlen(line);
    if (::write(control_, line, size) != static_cast<ssize_t>(size)) {
        throw std::runtime_error("the slow clients' process is gone");
    }
}

namespace {

std::string readLine(int control) {
    std::string line;
    char byte = 0;
    while (::read(control, &byte, 1) == 1 && byte != '\n') {
        line += byte;
    }
    return line;
}

}  // namespace

void SlowClients::start(std::uint16_t port, int count, int rampMilliseconds) {
    say(("start " + std::to_string(port) + " " + std::to_string(count) + " " +
         std::to_string(rampMilliseconds) + "\n")
            .c_str());
}

SlowClients::Held SlowClients::held() {
    say("ask\n");
    Held held;
    std::istringstream(readLine(control_)) >> held.connected >> held.cut >> held.refused;
    return held;
}

void SlowClients::stop() {
    say("stop\n");
    readLine(control_);
}

}  // namespace zlt::bench
