// The results server under load on the loopback, fed by the program as it runs: 200
// spectators hold the live stream while pages are fetched. The page times are set against a
// static file the same server sends in the same run. The operator's post is timed in rounds
// that alternate between no server at all, the server with its 200 spectators, and the
// same with 1,000 slow clients besides; with spectators, each commit is timed until every
// spectator's stream has brought the changed page, as the browser redraws from the stream
// alone.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "app/Hlavni.h"
#include "app/Startup.h"
#include "bench/BenchReport.h"
#include "bench/EventProgram.h"
#include "bench/SlowClients.h"
#include "tests/support/Application.h"
#include "web/ResultsFeed.h"

namespace {

using namespace zlt;
using Clock = std::chrono::steady_clock;

constexpr int kSpectators = 200;
// Spectators come from addresses of their own, 127.0.0.41 on, as many from each as a
// household of phones behind one router: the server admits only so many from one address.
constexpr int kFirstSpectatorAddress = 41;
constexpr int kSpectatorAddresses = 10;
// The standings sheet, which shows every placing and so changes with every post of one.
constexpr const char* kWatchedPage = "/prubezne-poradi.html";
constexpr int kSlowClients = 1000;
// The slow clients connect over this long, so that the server's cuts, ten seconds after
// each one's first byte, come spread out rather than all at once.
constexpr int kSlowClientRamp = 10'000;

double millisecondsBetween(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double millisecondsSince(Clock::time_point start) {
    return millisecondsBetween(start, Clock::now());
}

// Turns the event loop until the condition holds; false after the timeout. It sleeps while
// nothing happens: a bench spinning here would take a core from the server it measures.
template <typename Condition>
bool turnUntil(Condition condition, int timeout = 10'000) {
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.start(1);
    while (!condition()) {
        if (clock.elapsed() > timeout) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void pauseFor(int milliseconds) {
    QElapsedTimer pause;
    pause.start();
    turnUntil([&] { return pause.elapsed() >= milliseconds; });
}

// One page fetched on a connection of its own, as a phone opens it; done once the whole
// answer (the headers and Content-Length bytes) has come.
class Fetch {
public:
    Fetch(quint16 port, const QByteArray& path) {
        QObject::connect(&socket_, &QTcpSocket::connected, [this, path] {
            socket_.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        });
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { read(); });
        socket_.connectToHost(QHostAddress::LocalHost, port);
    }
    bool done() const { return done_; }
    bool ok() const { return answer_.startsWith("HTTP/1.1 200 "); }

private:
    void read() {
        answer_ += socket_.readAll();
        const qsizetype headersEnd = answer_.indexOf("\r\n\r\n");
        const qsizetype length = answer_.indexOf("Content-Length: ");
        if (headersEnd < 0 || length < 0) {
            return;
        }
        const qsizetype lineEnd = answer_.indexOf("\r\n", length);
        const qsizetype bytes = answer_.mid(length + 16, lineEnd - length - 16).toLongLong();
        if (answer_.size() >= headersEnd + 4 + bytes) {
            done_ = true;
            socket_.close();
        }
    }

    QTcpSocket socket_;
    QByteArray answer_;
    bool done_ = false;
};

// A phone with the page open: it holds the stream, and a change event brings the changed
// pages along. The spectator takes the event as its update once the watched page is in it
// stamped with the event's own version, which is what the page redraws from.
class Spectator {
public:
    Spectator(quint16 port, const QHostAddress& from) {
        QObject::connect(&stream_, &QTcpSocket::connected, [this] {
            stream_.write("GET /zmeny HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        });
        QObject::connect(&stream_, &QTcpSocket::readyRead, [this] { read(); });
        stream_.bind(from);
        stream_.connectToHost(QHostAddress::LocalHost, port);
    }
    bool listening() const { return listening_; }
    bool updated() const { return updatedAt_.has_value(); }
    Clock::time_point updatedAt() const { return *updatedAt_; }
    void forget() { updatedAt_.reset(); }

private:
    // Events end with an empty line; the last one may still be arriving. The answer's
    // headers come first, ended by an empty line of their own.
    void read() {
        heard_ += stream_.readAll();
        if (!headersRead_) {
            const qsizetype end = heard_.indexOf("\r\n\r\n");
            if (end < 0) {
                return;
            }
            headersRead_ = true;
            if (!heard_.startsWith("HTTP/1.1 200 ")) {
                stream_.abort();
                return;
            }
            heard_.remove(0, end + 4);
        }
        qsizetype end = -1;
        while ((end = heard_.indexOf("\n\n", scanned_)) >= 0) {
            take(heard_.left(end));
            heard_.remove(0, end + 2);
            scanned_ = 0;
        }
        scanned_ = std::max<qsizetype>(heard_.size() - 1, 0);
    }

    void take(const QByteArray& event) {
        if (event.startsWith("retry:")) {
            listening_ = true;
        }
        if (!event.contains("\nevent: zmena\n") || updatedAt_) {
            return;
        }
        const qsizetype idEnd = event.indexOf('\n');
        if (!event.startsWith("id: ") || idEnd < 0) {
            return;
        }
        const QByteArray version = event.mid(4, idEnd - 4);
        const qsizetype pages = event.indexOf("\"stranky\":{");
        const qsizetype page = event.indexOf("\"" + QByteArray(kWatchedPage) + "\":\"", pages);
        const qsizetype stamp = event.indexOf("data-verze=\\\"" + version + "\\\"", page);
        // Inside a JSON string every quote is escaped: an unescaped one followed by a path
        // starts the next page.
        const qsizetype next = event.indexOf("\",\"/", page + 1);
        if (pages >= 0 && page > pages && stamp > page && (next < 0 || stamp < next)) {
            updatedAt_ = Clock::now();
        }
    }

    QTcpSocket stream_;
    QByteArray heard_;
    qsizetype scanned_ = 0;
    bool headersRead_ = false;
    bool listening_ = false;
    std::optional<Clock::time_point> updatedAt_;
};

struct Program : bench::EventProgram {
    Program() { fillFullEvent(); }
};

// The results on the network and their spectators, once the run gets to them.
struct Load {
    web::ResultsFeed feed{*app::currentCompetition()};
    std::vector<std::unique_ptr<Spectator>> spectators;
    bool ready = false;

    Load() {
        feed.start(0, false);
        for (int spectator = 0; spectator < kSpectators; ++spectator) {
            const quint32 address =
                (127u << 24) | (kFirstSpectatorAddress + spectator % kSpectatorAddresses);
            spectators.push_back(std::make_unique<Spectator>(feed.port(), QHostAddress(address)));
        }
        ready = turnUntil([&] {
            return std::all_of(spectators.begin(), spectators.end(),
                               [](const auto& spectator) { return spectator->listening(); });
        });
    }
    bool allUpdated() const {
        return std::all_of(spectators.begin(), spectators.end(),
                           [](const auto& spectator) { return spectator->updated(); });
    }
    void forgetUpdates() {
        for (const auto& spectator : spectators) {
            spectator->forget();
        }
    }
    // The first and the last spectator's update.
    std::pair<Clock::time_point, Clock::time_point> updateSpan() const {
        const auto [first, last] = std::minmax_element(
            spectators.begin(), spectators.end(), [](const auto& one, const auto& other) {
                return one->updatedAt() < other->updatedAt();
            });
        return {(*first)->updatedAt(), (*last)->updatedAt()};
    }
    // The sockets the server process holds: its clients' connections and its listener.
    int serverSockets() const {
        const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(feed.server().processId()));
        int sockets = 0;
        for (const QFileInfo& entry : descriptors.entryInfoList(QDir::System)) {
            sockets += entry.symLinkTarget().contains(QStringLiteral("socket:")) ? 1 : 0;
        }
        return sockets;
    }
};

std::unique_ptr<Load>& loadSlot() {
    static std::unique_ptr<Load> made;
    return made;
}

Load& load() {
    bench::program<Program>();
    if (!loadSlot()) {
        loadSlot() = std::make_unique<Load>();
    }
    return *loadSlot();
}

bench::SlowClients* slowClients = nullptr;

double at(std::vector<double> milliseconds, int percent) {
    std::sort(milliseconds.begin(), milliseconds.end());
    return milliseconds[milliseconds.size() * static_cast<std::size_t>(percent) / 100];
}

void percentiles(benchmark::State& state, std::vector<double> milliseconds) {
    state.counters["median_ms"] = at(milliseconds, 50);
    state.counters["p95_ms"] = at(milliseconds, 95);
    state.counters["max_ms"] = *std::max_element(milliseconds.begin(), milliseconds.end());
}

void fetchEach(benchmark::State& state, const QByteArray& path) {
    Load& running = load();
    std::vector<double> times;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        Fetch fetch(running.feed.port(), path);
        if (!turnUntil([&] { return fetch.done(); }) || !fetch.ok()) {
            state.SkipWithError("a page did not come whole with 200 within 10 s");
            return;
        }
        const double time = millisecondsSince(start);
        state.SetIterationTime(time / 1000.0);
        times.push_back(time);
    }
    percentiles(state, times);
}

// The operator's post of one placing, as the grid writes it.
int placing = 0;
struct Post {
    double milliseconds;
    // Of those, the processor time of the posting thread: the rest it waited, for the disk,
    // for the engine's own threads or for a processor.
    double processor;
};

double threadProcessorMilliseconds() {
    timespec time{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) * 1000.0 + static_cast<double>(time.tv_nsec) / 1e6;
}

Post postPlacing() {
    const double processor = threadProcessorMilliseconds();
    const Clock::time_point start = Clock::now();
    db::ResultSet& rows = frmHlavni->IBOQuery1;
    rows.first();
    rows.edit();
    rows.setField("BOD1", ++placing % 40 + 1);
    rows.post();
    return {millisecondsSince(start), threadProcessorMilliseconds() - processor};
}

void PhonePage(benchmark::State& state) {
    fetchEach(state, "/");
}
BENCHMARK(PhonePage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

void StandingsSheet(benchmark::State& state) {
    fetchEach(state, "/prubezne-poradi.html");
}
BENCHMARK(StandingsSheet)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

// The baseline: the live script, the same bytes every time.
void StaticFile(benchmark::State& state) {
    fetchEach(state, web::ServedPages::kLiveScript);
}
BENCHMARK(StaticFile)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

// Posts follow one another at this pace at the least, whatever runs: the journal's sync
// and, with the server, the pages made anew and sent to every spectator fit in it.
constexpr int kPostPace = 150;
constexpr int kSettle = 1000;
constexpr int kRounds = 6;
constexpr int kPostsPerBlock = 20;

double mean(const std::vector<double>& milliseconds) {
    double sum = 0;
    for (const double time : milliseconds) {
        sum += time;
    }
    return sum / static_cast<double>(milliseconds.size());
}

// Posts of one kind, and with spectators, the time from each commit until the program had
// handed the pages to the server and until the first and the last spectator had them.
struct Posts {
    std::vector<double> posts;
    std::vector<double> processor;
    std::vector<double> published;
    std::vector<double> first;
    std::vector<double> last;

    void postAlone() {
        QElapsedTimer pace;
        pace.start();
        take(postPlacing());
        pauseFor(kPostPace - static_cast<int>(pace.elapsed()));
    }

    bool postAndWait(Load& running) {
        running.forgetUpdates();
        QElapsedTimer pace;
        pace.start();
        std::optional<Clock::time_point> publishedAt;
        const QMetaObject::Connection told = QObject::connect(
            &running.feed, &web::ResultsFeed::pagesChanged, [&] { publishedAt = Clock::now(); });
        take(postPlacing());
        const Clock::time_point committed = Clock::now();
        const bool all = turnUntil([&] { return running.allUpdated(); });
        QObject::disconnect(told);
        if (!all || !publishedAt) {
            return false;
        }
        const auto [firstAt, lastAt] = running.updateSpan();
        published.push_back(millisecondsBetween(committed, *publishedAt));
        first.push_back(millisecondsBetween(committed, firstAt));
        last.push_back(millisecondsBetween(committed, lastAt));
        pauseFor(kPostPace - static_cast<int>(pace.elapsed()));
        return true;
    }

    void take(const Post& post) {
        posts.push_back(post.milliseconds);
        processor.push_back(post.processor);
    }

    void reportPosts(benchmark::State& state, const std::string& name) const {
        state.counters[name + "_cpu_median_ms"] = at(processor, 50);
        state.counters[name + "_mean_ms"] = mean(posts);
        state.counters[name + "_median_ms"] = at(posts, 50);
    }
    void reportUpdates(benchmark::State& state, const std::string& name) const {
        state.counters[name + "_median_ms"] = at(last, 50);
        state.counters[name + "_p95_ms"] = at(last, 95);
        state.counters[name + "_max_ms"] = *std::max_element(last.begin(), last.end());
        state.counters[name + "_first_median_ms"] = at(first, 50);
        state.counters[name + "_published_median_ms"] = at(published, 50);
    }
};

bool startSlowClients(Load& running) {
    slowClients->start(running.feed.port(), kSlowClients, kSlowClientRamp);
    QElapsedTimer ramp;
    ramp.start();
    while (slowClients->held().connected < kSlowClients * 99 / 100) {
        if (ramp.elapsed() > kSlowClientRamp + 10'000) {
            slowClients->stop();
            return false;
        }
        pauseFor(100);
    }
    return true;
}

// Processor time a process has had so far, in milliseconds; none once it is gone.
double processorMilliseconds(qint64 process) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(process));
    if (!stat.open(QIODevice::ReadOnly)) {
        return 0;
    }
    // After the name in parentheses, from the state on: utime and stime are the 12th and
    // 13th, in clock ticks.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) * 1000.0 /
           static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// How much of one core the processes of a kind took while the blocks of a kind ran.
class Share {
public:
    void begin(qint64 process) {
        process_ = process;
        processorAtStart_ = processorMilliseconds(process);
        clock_.start();
    }
    void end() {
        processor_ += processorMilliseconds(process_) - processorAtStart_;
        wall_ += static_cast<double>(clock_.elapsed());
    }
    double percent() const { return wall_ > 0 ? 100.0 * processor_ / wall_ : 0; }

private:
    qint64 process_ = 0;
    double processorAtStart_ = 0;
    QElapsedTimer clock_;
    double processor_ = 0;
    double wall_ = 0;
};

// The operator's post in rounds of three blocks: with no server at all (the floor), with
// the server and its 200 spectators, and with 1,000 slow clients besides, each holding a
// connection with part of a request sent and a byte now and then. The blocks alternate so
// that whatever else the computer does weighs on all three alike; the figures compare
// medians, which a stray slow post does not move. A post is timed from its start until its
// commit, with the processor time its thread had; with spectators, each commit is also
// timed until every spectator has the changed page. The server cuts each slow client ten
// seconds after its first byte and it connects again at once: the slow clients' block
// comes after their ramp, while the cut ones are being replaced. The counters tell how many
// the clients and the server held at the fewest, how many were cut or turned away
// meanwhile, and how much of a core the server and the clients took.
struct Rounds {
    Posts floor;
    Posts watched;
    Posts attacked;
    int fewestHeld = kSlowClients;
    int fewestSockets = std::numeric_limits<int>::max();
    bench::SlowClients::Held turnedAway;
    Share serverWatched;
    Share serverAttacked;
    Share clientsAttacked;

    // Why the round could not be measured; none when it was.
    const char* round() {
        // The floor is measured once the server of the round before and its clients' sockets
        // are gone, with nothing of their ends still at work.
        loadSlot().reset();
        pauseFor(kSettle);
        for (int post = 0; post < kPostsPerBlock; ++post) {
            floor.postAlone();
        }
        Load& running = load();
        if (!running.ready) {
            return "not every spectator got the stream";
        }
        serverWatched.begin(running.feed.server().processId());
        for (int post = 0; post < kPostsPerBlock; ++post) {
            if (!watched.postAndWait(running)) {
                return "not every spectator got the changed page within 10 s";
            }
        }
        serverWatched.end();
        if (!startSlowClients(running)) {
            return "the slow clients could not all connect";
        }
        const bench::SlowClients::Held before = slowClients->held();
        serverAttacked.begin(running.feed.server().processId());
        clientsAttacked.begin(slowClients->processId());
        for (int post = 0; post < kPostsPerBlock; ++post) {
            if (!attacked.postAndWait(running)) {
                slowClients->stop();
                return "not every spectator got the changed page within 10 s";
            }
            fewestHeld = std::min(fewestHeld, slowClients->held().connected);
            fewestSockets = std::min(fewestSockets, running.serverSockets());
        }
        serverAttacked.end();
        clientsAttacked.end();
        const bench::SlowClients::Held after = slowClients->held();
        slowClients->stop();
        turnedAway.cut += after.cut - before.cut;
        turnedAway.refused += after.refused - before.refused;
        return nullptr;
    }

    void report(benchmark::State& state) const {
        floor.reportPosts(state, "floor");
        watched.reportPosts(state, "spectators");
        attacked.reportPosts(state, "slow_clients");
        watched.reportUpdates(state, "update");
        attacked.reportUpdates(state, "attacked_update");
        state.counters["clients_held_min"] = fewestHeld;
        state.counters["server_sockets_min"] = fewestSockets;
        state.counters["clients_cut"] = turnedAway.cut;
        state.counters["clients_refused"] = turnedAway.refused;
        state.counters["server_cpu_pct"] = serverWatched.percent();
        state.counters["attacked_server_cpu_pct"] = serverAttacked.percent();
        state.counters["clients_cpu_pct"] = clientsAttacked.percent();
    }
};

// The iteration time is a round's mean post with the slow clients.
void PostInRounds(benchmark::State& state) {
    bench::program<Program>();
    Rounds rounds;
    for (auto _ : state) {
        const std::size_t before = rounds.attacked.posts.size();
        if (const char* failure = rounds.round()) {
            state.SkipWithError(failure);
            break;
        }
        state.SetIterationTime(
            mean({rounds.attacked.posts.begin() + static_cast<std::ptrdiff_t>(before),
                  rounds.attacked.posts.end()}) /
            1000.0);
    }
    loadSlot().reset();
    if (!state.error_occurred()) {
        rounds.report(state);
    }
}
BENCHMARK(PostInRounds)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(kRounds);

}  // namespace

int main(int argc, char** argv) {
    // Before anything else: the slow clients' process is forked from this one as it is now.
    bench::SlowClients clients;
    slowClients = &clients;
    test::ensureApplication();
    const std::string rounds =
        "PostInRounds/iterations:" + std::to_string(kRounds) + "/manual_time.";
    const int result = bench::runAndReport(
        argc, argv,
        {{"phone page, median / static file, median",
          "PhonePage/iterations:300/manual_time.median_ms",
          "StaticFile/iterations:300/manual_time.median_ms", 10.0},
         {"phone page, 95th pct, 200 streams", "PhonePage/iterations:300/manual_time.p95_ms", "",
          50.0},
         {"phone page, 95th pct / static file, 95th pct",
          "PhonePage/iterations:300/manual_time.p95_ms",
          "StaticFile/iterations:300/manual_time.p95_ms", 10.0},
         {"standings sheet, 95th pct, 200 streams",
          "StandingsSheet/iterations:300/manual_time.p95_ms", "", 50.0},
         {"commit to page on all 200 streams, worst", rounds + "update_max_ms", "", 1000.0},
         {"post with 200 spectators / post w/o server, med", rounds + "spectators_median_ms",
          rounds + "floor_median_ms", 1.10},
         {"post with 1000 slow clients / post w/o server, med", rounds + "slow_clients_median_ms",
          rounds + "floor_median_ms", 1.10}});
    loadSlot().reset();
    bench::programSlot<Program>().reset();
    return result;
}
