// The results server under load on the loopback, fed by the program as it runs: 200
// spectators hold the live stream while pages are fetched. The page times are set against a
// static file the same server sends in the same run; the update is timed from the
// operator's commit until every spectator's stream has brought the changed page, as the
// browser redraws from the stream alone; and the operator's post is timed with the 200
// spectators and without the server.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "app/Hlavni.h"
#include "app/Startup.h"
#include "bench/BenchReport.h"
#include "bench/EventProgram.h"
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
double postPlacing() {
    const Clock::time_point start = Clock::now();
    db::ResultSet& rows = frmHlavni->IBOQuery1;
    rows.first();
    rows.edit();
    rows.setField("BOD1", ++placing % 40 + 1);
    rows.post();
    return millisecondsSince(start);
}

// The floor, measured before the server starts: the post with nothing listening.
void PostWithoutServer(benchmark::State& state) {
    bench::program<Program>();
    for (auto _ : state) {
        state.SetIterationTime(postPlacing() / 1000.0);
        // As much of the event loop as the loaded run turns, the journal's sync included.
        pauseFor(150);
    }
}
BENCHMARK(PostWithoutServer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

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

// The post with 200 spectators connected, and from its commit until every one of them has
// the changed page; the counters also say when the program had handed the pages to the
// server and when the first spectator had them.
void PostWithSpectators(benchmark::State& state) {
    Load& running = load();
    if (!running.ready) {
        state.SkipWithError("not every spectator got the stream");
        return;
    }
    std::vector<double> published;
    std::vector<double> first;
    std::vector<double> last;
    for (auto _ : state) {
        running.forgetUpdates();
        std::optional<Clock::time_point> publishedAt;
        const QMetaObject::Connection told = QObject::connect(
            &running.feed, &web::ResultsFeed::pagesChanged, [&] { publishedAt = Clock::now(); });
        state.SetIterationTime(postPlacing() / 1000.0);
        const Clock::time_point committed = Clock::now();
        const bool all = turnUntil([&] { return running.allUpdated(); });
        QObject::disconnect(told);
        if (!all || !publishedAt) {
            state.SkipWithError("not every spectator got the changed page within 10 s");
            return;
        }
        const auto [firstAt, lastAt] = running.updateSpan();
        published.push_back(millisecondsBetween(committed, *publishedAt));
        first.push_back(millisecondsBetween(committed, firstAt));
        last.push_back(millisecondsBetween(committed, lastAt));
    }
    percentiles(state, last);
    state.counters["published_median_ms"] = at(published, 50);
    state.counters["first_median_ms"] = at(first, 50);
}
BENCHMARK(PostWithSpectators)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace

int main(int argc, char** argv) {
    test::ensureApplication();
    const int result =
        bench::runAndReport(argc, argv,
                            {{"phone page, median / static file, median",
                              "PhonePage/iterations:300/manual_time.median_ms",
                              "StaticFile/iterations:300/manual_time.median_ms", 10.0},
                             {"phone page, 95th pct, 200 streams",
                              "PhonePage/iterations:300/manual_time.p95_ms", "", 50.0},
                             {"phone page, 95th pct / static file, 95th pct",
                              "PhonePage/iterations:300/manual_time.p95_ms",
                              "StaticFile/iterations:300/manual_time.p95_ms", 10.0},
                             {"standings sheet, 95th pct, 200 streams",
                              "StandingsSheet/iterations:300/manual_time.p95_ms", "", 50.0},
                             {"commit to page on all 200 streams, worst",
                              "PostWithSpectators/iterations:30/manual_time.max_ms", "", 1000.0},
                             {"post with 200 spectators / post without server",
                              "PostWithSpectators/iterations:30/manual_time",
                              "PostWithoutServer/iterations:30/manual_time", 1.10}});
    loadSlot().reset();
    bench::programSlot<Program>().reset();
    return result;
}
