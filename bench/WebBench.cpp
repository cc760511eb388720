// The results server under load on the loopback: 200 spectators hold the live stream
// while pages are fetched. The page times are set against a static file the same server
// sends in the same run; the update is timed from the operator's commit until every
// spectator has fetched the changed page, as the browser does on the stream's word; and the
// operator's post is timed with the 200 spectators and without the server.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QTcpSocket>
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "app/Hlavni.h"
#include "app/Startup.h"
#include "bench/BenchReport.h"
#include "bench/EventProgram.h"
#include "tests/support/Application.h"
#include "web/ResultsServer.h"

namespace {

using namespace zlt;
using Clock = std::chrono::steady_clock;

constexpr int kSpectators = 200;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Turns the event loop until the condition holds; false after ten seconds.
template <typename Condition>
bool turnUntil(Condition condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 10'000) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
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
        socket_.connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    bool done() const { return done_; }

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

double fetchMilliseconds(quint16 port, const QByteArray& path) {
    const Clock::time_point start = Clock::now();
    Fetch fetch(port, path);
    turnUntil([&] { return fetch.done(); });
    return millisecondsSince(start);
}

// A phone with the page open: it holds the stream and fetches the page again when the
// stream tells of a change.
class Spectator {
public:
    Spectator(quint16 port) : port_(port) {
        QObject::connect(&stream_, &QTcpSocket::connected, [this] {
            stream_.write("GET /zmeny HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        });
        QObject::connect(&stream_, &QTcpSocket::readyRead, [this] { read(); });
        stream_.connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    bool listening() const { return heard_.contains("retry:"); }
    // The changed page is in: the stream told of the change and the fetch is done.
    bool updated() const { return page_ && page_->done(); }
    void forget() {
        heard_.clear();
        page_.reset();
    }

private:
    void read() {
        heard_ += stream_.readAll();
        if (!page_ && heard_.contains("event: zmena")) {
            page_ = std::make_unique<Fetch>(port_, "/");
        }
    }

    quint16 port_;
    QTcpSocket stream_;
    QByteArray heard_ = {};
    std::unique_ptr<Fetch> page_;
};

struct Program : bench::EventProgram {
    Program() { fillFullEvent(); }
};

// The server and its spectators, once the run gets to them.
struct Load {
    web::ResultsServer server{*app::currentCompetition()};
    std::vector<std::unique_ptr<Spectator>> spectators;

    Load() {
        server.start(0, false);
        for (int spectator = 0; spectator < kSpectators; ++spectator) {
            spectators.push_back(std::make_unique<Spectator>(server.port()));
        }
        turnUntil([&] {
            return std::all_of(spectators.begin(), spectators.end(),
                               [](const auto& spectator) { return spectator->listening(); });
        });
    }
    bool allUpdated() const {
        return std::all_of(spectators.begin(), spectators.end(),
                           [](const auto& spectator) { return spectator->updated(); });
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

void percentiles(benchmark::State& state, std::vector<double> milliseconds) {
    std::sort(milliseconds.begin(), milliseconds.end());
    state.counters["median_ms"] = milliseconds[milliseconds.size() / 2];
    state.counters["p95_ms"] = milliseconds[milliseconds.size() * 95 / 100];
    state.counters["max_ms"] = milliseconds.back();
}

void fetchEach(benchmark::State& state, const QByteArray& path) {
    Load& running = load();
    std::vector<double> times;
    for (auto _ : state) {
        const double time = fetchMilliseconds(running.server.port(), path);
        state.SetIterationTime(time / 1000.0);
        times.push_back(time);
    }
    percentiles(state, times);
}

// The operator's post of one placing, as the grid writes it.
int placing = 0;
void postPlacing() {
    db::ResultSet& rows = frmHlavni->IBOQuery1;
    rows.first();
    rows.edit();
    rows.setField("BOD1", ++placing % 40 + 1);
    rows.post();
}

// The floor, measured before the server starts: the post with nothing listening.
void PostWithoutServer(benchmark::State& state) {
    bench::program<Program>();
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        postPlacing();
        state.SetIterationTime(millisecondsSince(start) / 1000.0);
        // As much of the event loop as the loaded run turns, the journal's sync included.
        QElapsedTimer pause;
        pause.start();
        turnUntil([&] { return pause.elapsed() > 150; });
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
// the changed page.
void PostWithSpectators(benchmark::State& state) {
    Load& running = load();
    std::vector<double> updates;
    for (auto _ : state) {
        for (const auto& spectator : running.spectators) {
            spectator->forget();
        }
        const Clock::time_point start = Clock::now();
        postPlacing();
        state.SetIterationTime(millisecondsSince(start) / 1000.0);
        if (!turnUntil([&] { return running.allUpdated(); })) {
            state.SkipWithError("not every spectator got the change within 10 s");
            return;
        }
        updates.push_back(millisecondsSince(start));
    }
    percentiles(state, updates);
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
                             {"commit to all 200 pages updated, worst",
                              "PostWithSpectators/iterations:30/manual_time.max_ms", "", 1000.0},
                             {"post with 200 spectators / post without server",
                              "PostWithSpectators/iterations:30/manual_time",
                              "PostWithoutServer/iterations:30/manual_time", 1.10}});
    loadSlot().reset();
    bench::programSlot<Program>().reset();
    return result;
}
