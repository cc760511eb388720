// Power cuts at many points of a whole scripted event session (crash-session), each on a
// fresh copy of one new event folder, and after each what the program promises to keep:
// nothing it reported as done is lost, nothing half written is taken for whole, and the
// program opens the folder again as after any start.
//   ZLT_CRASH_SEED   the seed of the cut points (else one from the clock, printed)
//   ZLT_CRASH_CUTS   how many cuts (default 200); all of them must run
//   ZLT_CRASH_SECONDS  a bound on the time: beyond it no new cut starts, and the test fails
//                    if fewer than ZLT_CRASH_CUTS ran
//   ZLT_CRASH_POINT  one cut point alone, to replay a failure
//   ZLT_CRASH_KEEP   a folder where the event folders of failed cuts are kept
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "competition/Backups.h"
#include "competition/Competition.h"
#include "competition/CopyProof.h"
#include "competition/EventFiles.h"
#include "competition/Scoring.h"
#include "database/FieldValue.h"
#include "database/RecoveryFile.h"
#include "tests/support/CoreApplication.h"
#include "tests/support/CrashReport.h"
#include "tests/support/Files.h"
#include "tests/support/ForgetfulFs.h"
#include "tests/support/TempEventFolder.h"
#include "tests/support/Validation.h"
#include "tools/EventFolder.h"

extern char** environ;

namespace zlt::test {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> hashOf(const fs::path& file) {
    if (!fs::exists(file)) {
        return std::nullopt;
    }
    return test::fingerprint(test::fileBytes(file));
}

std::optional<long> environmentNumber(const char* name) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::optional<long>(std::atol(text)) : std::nullopt;
}

// One line the session wrote after an operation returned.
struct Report {
    long long time = 0;
    std::size_t journal = 0;  // the journal's entries then
    std::string verb;
    std::vector<std::string> words;
};

Report parseReport(const std::string& line) {
    std::istringstream in(line);
    Report report;
    in >> report.time >> report.journal >> report.verb;
    for (std::string word; in >> word;) {
        report.words.push_back(word);
    }
    return report;
}

// Where a session works and how its power is cut, on a scale the cut points are chosen on.
class Cutter {
public:
    virtual ~Cutter() = default;
    // The folder the session works in, over the backing folder.
    virtual fs::path begin(const fs::path& backing) = 0;
    virtual long progress() const = 0;
    virtual void cutAt(long point) = 0;
    virtual bool isCut() const = 0;
    // The session is dead: the backing folder holds what survived.
    virtual void end() = 0;
};

// The stand-in for a power cut: SIGKILL at a time, on a plain folder. What the process had
// written stays in the system's cache, so this finds what a process death leaves, not yet
// what an unsynced write loses. The scale is microseconds since the session started.
class KillCutter : public Cutter {
public:
    fs::path begin(const fs::path& backing) override {
        start_ = test::monotonicMicros();
        deadline_.reset();
        return backing;
    }
    long progress() const override { return static_cast<long>(test::monotonicMicros() - start_); }
    void cutAt(long point) override { deadline_ = start_ + point; }
    bool isCut() const override { return deadline_ && test::monotonicMicros() >= *deadline_; }
    void end() override {}

private:
    long long start_ = 0;
    std::optional<long long> deadline_;
};

// The power cut itself: the session works on a file system that forgets every write and
// every name not yet synced, cut after a number of its mutating operations, which is the
// scale. The session is killed once the cut came; the backing folder then holds what a
// disk would after the power went.
class ForgetfulCutter : public Cutter {
public:
    fs::path begin(const fs::path& backing) override {
        mount_.emplace(backing);
        return mount_->path();
    }
    long progress() const override { return mount_->operations(); }
    void cutAt(long point) override { mount_->cutAfter(point - mount_->operations()); }
    bool isCut() const override { return mount_->isCut(); }
    void end() override {
        mount_->unmount();
        mount_.reset();
    }

private:
    std::optional<ForgetfulMount> mount_;
};

// What a session run reported, and when the cut came.
struct SessionRun {
    std::vector<Report> reports;
    long long lastUncut = 0;  // the last moment known to be before the cut
    bool cut = false;
    long openedAt = 0;     // progress at the session's first report
    long span = 0;         // progress when it ended
    long long micros = 0;  // the time it ran
    std::string errors;
};

SessionRun runSession(Cutter& cutter, const fs::path& backing, std::optional<long> point) {
    const fs::path folder = cutter.begin(backing);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        throw std::runtime_error("pipe");
    }
    const fs::path errors = backing.parent_path() / "session-errors.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // The session's engine keeps its locks in a folder of its own, as after a restart of the
    // computer: a session killed while it held the engine's shared user-mapping lock leaves
    // it held, and every process sharing that folder then waits for it for ever.
    const fs::path locks = backing.parent_path() / "locks";
    fs::create_directories(locks);
    std::vector<std::string> environment{"FIREBIRD_LOCK=" + locks.string()};
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::string_view(*variable).substr(0, 14) != "FIREBIRD_LOCK=") {
            environment.emplace_back(*variable);
        }
    }
    std::vector<char*> envp;
    for (std::string& variable : environment) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    std::string program = ZLT_CRASH_SESSION;
    std::string where = folder.string();
    char* argv[] = {program.data(), where.data(), nullptr};
    pid_t child = 0;
    if (point) {
        cutter.cutAt(*point);
    }
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        throw std::runtime_error("cannot start crash-session");
    }
    SessionRun run;
    const long long started = test::monotonicMicros();
    std::string pending;
    const auto takeLines = [&] {
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            run.reports.push_back(parseReport(pending.substr(0, end)));
            if (run.reports.size() == 1) {
                run.openedAt = cutter.progress();
            }
            pending.erase(0, end + 1);
        }
    };
    char chunk[4096];
    for (bool open = true; open;) {
        if (!run.cut && cutter.isCut()) {
            run.cut = true;
            kill(child, SIGKILL);
        } else if (!run.cut) {
            run.lastUncut = test::monotonicMicros();
        }
        pollfd wait{pipeEnds[0], POLLIN, 0};
        if (poll(&wait, 1, 1) > 0) {
            const ssize_t got = read(pipeEnds[0], chunk, sizeof chunk);
            open = got > 0;
            pending.append(chunk, got > 0 ? got : 0);
            takeLines();
        }
    }
    close(pipeEnds[0]);
    run.span = cutter.progress();
    run.micros = test::monotonicMicros() - started;
    int status = 0;
    waitpid(child, &status, 0);
    cutter.end();
    if (!run.cut && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
        run.errors = test::fileBytes(errors);
    }
    return run;
}

// Every value of both tables: table → row key → field → value as text ("" for Null). The
// preliminary rows are keyed by CISLO, the finals rows by team name.
using Tables = std::map<std::string, std::map<std::string, std::map<std::string, std::string>>>;

std::string textOf(const db::FieldValue& value) {
    return std::string(db::withoutBlanks(db::displayText(value)));
}

// The event folder opened again by the program's core, as at a start after the cut.
struct Reopened {
    bool mended = false;  // a copy the cut interrupted was cleaned up
    Tables tables;
    std::vector<std::string> faults;
    std::vector<std::string> journal;  // change|table|row|field|before|after
};

std::string journalLine(const competition::JournalEntry& entry) {
    // A restore names its copy, whose name is the time it was taken.
    if (entry.change == "obnova") {
        return entry.change;
    }
    return entry.change + "|" + entry.table + "|" + entry.row + "|" + entry.field + "|" +
           entry.before + "|" + entry.after;
}

void readRows(db::ResultSet& rows, const std::string& key, Reopened& into) {
    const competition::TotalRule& rule = competition::totalRuleOf(rows);
    for (int row = 0; row < rows.recordCount(); ++row) {
        auto& values =
            into.tables[rows.fields().table()][textOf(rows.value(row, rows.fieldPosition(key)))];
        long sum = 0;
        for (int position = 0; position < rows.fields().size(); ++position) {
            values[rows.fields()[position].name] = textOf(rows.value(row, position));
        }
        for (const std::string& term : rule.terms) {
            if (const auto* number =
                    std::get_if<std::int32_t>(&rows.value(row, rows.fieldPosition(term)))) {
                sum += std::max(*number, 0);
            }
        }
        const std::string total = values[rule.total];
        if (total != std::to_string(sum) && !(total.empty() && sum == 0)) {
            into.faults.push_back("row " + values[key] + " of " + rows.fields().table() +
                                  ": total " + rule.total + " " + total +
                                  " beside placings that sum to " + std::to_string(sum));
        }
    }
}

Reopened reopen(const fs::path& folder) {
    ensureCoreApplication();
    WorkingDirectory inFolder(folder);
    Reopened found;
    competition::Competition competition;
    competition.openPreliminary();
    competition.openFinals();
    const QString problem = competition.backups().problem();
    found.mended = !problem.isEmpty();
    if (!problem.isEmpty() &&
        !(problem.startsWith(QStringLiteral("Předchozí záloha byla přerušena")) &&
          !problem.contains(QStringLiteral("nelze")))) {
        found.faults.push_back("the start says: " + problem.toStdString());
    }
    readRows(competition.preliminary(), "CISLO", found);
    readRows(competition.finals(), "DRUZSTVO", found);
    for (const auto& entry : competition.journal().entries()) {
        found.journal.push_back(journalLine(entry));
    }
    return found;
}

// What the folder should hold after the session's first m operations.
struct Expected {
    Tables tables;
    std::optional<std::string> settings;
    std::map<std::string, std::string> choices;  // file → hash
    std::size_t journal = 0;
    std::vector<std::string> exported;
};

std::vector<Expected> expectedAfterEach(const Tables& blank, const fs::path& templateFolder,
                                        const std::vector<Report>& reports) {
    Expected state{blank, hashOf(templateFolder / competition::kSettingsFile), {}, 0, {}};
    std::vector<Expected> states{state};
    std::vector<Tables> copies;
    for (const Report& report : reports) {
        state.journal = report.journal;
        if (report.verb == "set") {
            for (const std::string& word : report.words) {
                std::vector<std::string> parts;
                std::istringstream in(word);
                for (std::string part; std::getline(in, part, '|');) {
                    parts.push_back(part);
                }
                parts.resize(4);
                state.tables[parts[0]][parts[1]][parts[2]] = parts[3];
            }
        } else if (report.verb == "settings") {
            state.settings = report.words.at(0);
        } else if (report.verb == "choice") {
            state.choices[report.words.at(0)] = report.words.at(1);
        } else if (report.verb == "copy") {
            copies.push_back(state.tables);
        } else if (report.verb == "export") {
            state.exported = report.words;
        } else if (report.verb == "reset") {
            state.tables = blank;
        } else if (report.verb == "restore") {
            state.tables = copies.at(std::stoul(report.words.at(0)));
        }
        states.push_back(state);
    }
    return states;
}

// Whether the rows hold every value expected (a row the session never wrote holds
// anything), and no preliminary row that should not be there.
bool holds(const Tables& found, const Tables& expected) {
    for (const auto& [table, rows] : expected) {
        if (table == "DATAZLT" && found.count(table) != 0 &&
            found.at(table).size() != rows.size()) {
            return false;
        }
        for (const auto& [key, values] : rows) {
            const auto foundTable = found.find(table);
            if (foundTable == found.end() || foundTable->second.count(key) == 0) {
                return false;
            }
            for (const auto& [field, value] : values) {
                if (foundTable->second.at(key).at(field) != value) {
                    return false;
                }
            }
        }
    }
    return true;
}

// The first value that differs, in words.
std::string difference(const Tables& found, const Tables& expected) {
    for (const auto& [table, rows] : expected) {
        for (const auto& [key, values] : rows) {
            if (found.count(table) == 0 || found.at(table).count(key) == 0) {
                return table + " has no row " + key;
            }
            for (const auto& [field, value] : values) {
                if (found.at(table).at(key).at(field) != value) {
                    return table + " row " + key + " " + field + " is '" +
                           found.at(table).at(key).at(field) + "', not '" + value + "'";
                }
            }
        }
    }
    return "DATAZLT has " +
           std::to_string(found.count("DATAZLT") ? found.at("DATAZLT").size() : 0) + " rows";
}

bool wholeExport(const fs::path& file) {
    const std::string bytes = test::fileBytes(file);
    if (file.extension() == ".csv") {
        return bytes.rfind("\xEF\xBB\xBF", 0) == 0 && bytes.size() > 5 &&
               bytes.compare(bytes.size() - 2, 2, "\r\n") == 0;
    }
    const auto end = bytes.rfind("</html>");
    return end != std::string::npos &&
           bytes.find_first_not_of("\r\n", end + 7) == std::string::npos;
}

// Its name has Czech letters and a space, as the organisers' folders have.
constexpr const char* kEventFolder = "Závody ZLT";

class CrashLoop : public ::testing::Test {
protected:
    // Everything wrong with the folder after a cut within the first `reported` operations of
    // the full run, or the in-flight one after them.
    std::vector<std::string> check(const fs::path& folder, const SessionRun& run) {
        std::vector<std::string> faults;
        std::size_t certain = 0;
        std::size_t durableJournal = 0;
        for (const Report& report : run.reports) {
            certain += report.time < run.lastUncut ? 1 : 0;
            if (report.time < run.lastUncut - 1000000) {
                durableJournal = report.journal;
            }
        }
        const std::size_t last = std::min(run.reports.size() + 1, full_.reports.size());
        const auto within = [&](auto matches) {
            for (std::size_t m = certain; m <= last; ++m) {
                if (matches(states_[m])) {
                    return true;
                }
            }
            return false;
        };
        const fs::path database = folder / competition::kDatabaseFile;
        if (const Validation validation = validate(database); !validation.sound()) {
            faults.push_back("the engine's validation: " + validation.output);
        }
        Reopened reopened;
        try {
            reopened = reopen(folder);
        } catch (const std::exception& error) {
            faults.push_back(std::string("the program does not open the folder: ") + error.what());
            return faults;
        }
        faults.insert(faults.end(), reopened.faults.begin(), reopened.faults.end());
        mended_ += reopened.mended ? 1 : 0;
        if (!within([&](const Expected& state) { return holds(reopened.tables, state.tables); })) {
            faults.push_back("the rows are not as after operation " + std::to_string(certain) +
                             " (nor a later one in flight): " +
                             difference(reopened.tables, states_[certain].tables));
        }
        for (const std::string file :
             {competition::kSettingsFile, "publikace.txt", "zalohy-druha-slozka.txt"}) {
            const auto hash = hashOf(folder / file);
            const auto written = [&](const Expected& state) {
                if (file == competition::kSettingsFile) {
                    return state.settings;
                }
                const auto kept = state.choices.find(file);
                return kept == state.choices.end() ? std::nullopt : std::optional(kept->second);
            };
            if (!within([&](const Expected& state) { return written(state) == hash; })) {
                // An older version is a confirmed change lost; no version at all, a torn file.
                std::size_t older = certain;
                while (older > 0 && written(states_[older - 1]) != hash) {
                    --older;
                }
                faults.push_back(
                    file + (older > 0 ? " is the one before operation " + std::to_string(older) +
                                            ", which was reported done: that change is lost"
                                      : (hash ? " is none of the versions written"
                                              : " is gone, though written and reported")));
            }
        }
        const auto& journal = reopened.journal;
        if (journal.size() < durableJournal) {
            faults.push_back("the journal holds " + std::to_string(journal.size()) +
                             " changes, of " + std::to_string(durableJournal) +
                             " made more than a second before the cut");
        }
        for (std::size_t at = 0; at < journal.size(); ++at) {
            if (at >= fullJournal_.size() || journal[at] != fullJournal_[at]) {
                faults.push_back("journal line " + std::to_string(at + 1) + " reads as a change " +
                                 "the session never made: " + journal[at] + " (instead of " +
                                 (at < fullJournal_.size() ? fullJournal_[at] : "none") + ")");
                break;
            }
        }
        std::vector<std::string> listed;
        for (const fs::path& holder : {folder, folder / "druha"}) {
            for (const competition::BackupCopy& copy : competition::Backups::copiesOf(holder)) {
                listed.push_back(copy.file.filename().string());
                try {
                    competition::proveCopy(copy.file);
                } catch (const competition::BrokenCopy& broken) {
                    faults.push_back("copy " + fs::relative(copy.file, folder).string() +
                                     " is listed but " + broken.reason().toStdString());
                }
            }
        }
        for (std::size_t at = 0; at < certain; ++at) {
            const Report& report = run.reports[at];
            if (report.verb == "copy" &&
                std::find(listed.begin(), listed.end(), report.words.at(0)) == listed.end()) {
                faults.push_back("copy " + report.words.at(0) + " was taken but is gone");
            }
        }
        for (const std::string& name : states_[certain].exported) {
            if (!fs::exists(folder / "web" / name)) {
                faults.push_back("exported " + name + " is gone");
            }
        }
        for (const auto& entry : fs::directory_iterator(folder / "web")) {
            if (entry.path().filename().string().find(".tmp-") == std::string::npos &&
                !wholeExport(entry.path())) {
                faults.push_back("exported " + entry.path().filename().string() + " is not whole");
            }
        }
        if (const fs::path kept = db::recoveryFileOf(database); fs::exists(kept)) {
            try {
                db::loadRecoveryFile(kept);
            } catch (const std::exception& error) {
                faults.push_back(std::string("the rows being typed do not load: ") + error.what());
            }
        }
        return faults;
    }

    // A fresh copy of the new event folder, in a folder of its own.
    fs::path freshFolder(const std::string& name) {
        const fs::path folder = work_.path() / name / kEventFolder;
        fs::remove_all(folder.parent_path());
        fs::create_directories(folder.parent_path());
        fs::copy(template_, folder, fs::copy_options::recursive);
        return folder;
    }

    void prepare() {
        // Nor does this process share its lock folder with anyone, sessions or other tests.
        fs::create_directories(work_.path() / "locks");
        setenv("FIREBIRD_LOCK", (work_.path() / "locks").c_str(), 1);
        tools::createEventFolder(template_);
        // The organiser's export folder and the second folder for copies.
        fs::create_directory(template_ / "web");
        fs::create_directories(template_ / "druha" / "zalohy");
        blank_ = reopen(template_).tables;
        // Rows never written may hold anything after a reset; only the numbers are certain.
        for (auto& [key, values] : blank_["DATAZLT"]) {
            values = {{"CISLO", key}};
        }
        blank_.erase("DATAZLTF");
        const fs::path folder = freshFolder("full");
        full_ = runSession(*makeCutter(), folder, std::nullopt);
        ASSERT_EQ(full_.errors, "");
        ASSERT_EQ(full_.reports.back().verb, "done");
        fullJournal_ = reopen(folder).journal;
        states_ = expectedAfterEach(blank_, template_, full_.reports);
    }

    // The forgetful file system where the machine can mount it, else the stand-in.
    static std::unique_ptr<Cutter> makeCutter() {
        if (forgetful()) {
            return std::make_unique<ForgetfulCutter>();
        }
        return std::make_unique<KillCutter>();
    }
    static bool forgetful(std::string* why = nullptr) { return ForgetfulMount::available(why); }

    TempFolder work_;
    fs::path template_ = work_.path() / "template";
    Tables blank_;
    SessionRun full_;
    std::vector<std::string> fullJournal_;
    std::vector<Expected> states_;
    int mended_ = 0;
};

// Cut points that found a fault once, run on every run: operations of the forgetful file
// system, and microseconds of the stand-in. Forgetful: 30 a copy's difference file lost
// (the database no longer opens), 329 a copy lost, 534 the settings lost, 678 the journal
// lost, 803 the export lost, 835 an Enter half done, 1384 the second folder's choice lost;
// 1209 and 1226 a restore's copy left a backup mode the engine would not end, 1579 the
// journal's last lines unsynced while that copy held the thread.
// The stand-in's three fell between the two commits of an Enter.
const std::vector<long> kForgetfulRegressionPoints = {30,  329,  534,  678,  803,
                                                      835, 1209, 1226, 1384, 1579};
const std::vector<long> kKillRegressionPoints = {2113808, 2854663, 1744791};

TEST_F(CrashLoop, NothingReportedIsLostAtAnyCut) {
    const auto started = std::chrono::steady_clock::now();
    const long seed =
        environmentNumber("ZLT_CRASH_SEED")
            .value_or(static_cast<long>(
                std::chrono::system_clock::now().time_since_epoch().count() % 1000000007));
    const long wanted = environmentNumber("ZLT_CRASH_CUTS").value_or(200);
    const long seconds = environmentNumber("ZLT_CRASH_SECONDS").value_or(1000);
    const auto onePoint = environmentNumber("ZLT_CRASH_POINT");
    std::string why;
    const bool forgetful = CrashLoop::forgetful(&why);
    std::cout << "crash: seed " << seed << "; "
              << (forgetful ? "the cut is a power cut on the forgetful file system"
                            : "the cut is a SIGKILL (" + why + ")")
              << "\n"
              << std::flush;
    const std::vector<long>& regressions =
        forgetful ? kForgetfulRegressionPoints : kKillRegressionPoints;
    ASSERT_NO_FATAL_FAILURE(prepare());
    std::cout << "crash: the whole session takes " << full_.span << " (opened at " << full_.openedAt
              << ") in " << full_.micros / 1000 << " ms, " << full_.reports.size()
              << " operations\n";

    std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
    std::uniform_int_distribution<long> points(full_.openedAt, full_.span);
    std::vector<long> cuts = onePoint ? std::vector<long>{*onePoint} : regressions;
    while (!onePoint &&
           static_cast<long>(cuts.size()) < wanted + static_cast<long>(regressions.size())) {
        cuts.push_back(points(random));
    }
    // Two sessions run while the last one's folder is checked: they mostly wait for the
    // disk, and the checks use this process's working directory, so they take turns.
    constexpr std::size_t kInFlight = 2;
    std::deque<std::pair<std::size_t, std::future<SessionRun>>> running;
    std::size_t next = 0;
    const auto startNext = [&] {
        if (next < cuts.size() &&
            std::chrono::steady_clock::now() - started < std::chrono::seconds(seconds)) {
            const fs::path folder = freshFolder("cut" + std::to_string(next));
            running.emplace_back(next, std::async(std::launch::async, [folder, point = cuts[next]] {
                                     return runSession(*makeCutter(), folder, point);
                                 }));
            ++next;
        }
    };
    long ran = 0;
    int failed = 0;
    while (running.size() < kInFlight && next < cuts.size()) {
        startNext();
    }
    while (!running.empty()) {
        const std::size_t at = running.front().first;
        const SessionRun run = running.front().second.get();
        running.pop_front();
        startNext();
        ++ran;
        const fs::path folder = work_.path() / ("cut" + std::to_string(at)) / kEventFolder;
        if (!run.errors.empty()) {
            ADD_FAILURE() << "the session failed by itself: " << run.errors;
        }
        const auto faults = check(folder, run);
        if (const char* keep = std::getenv("ZLT_CRASH_KEEP"); keep != nullptr && !faults.empty()) {
            fs::copy(folder, fs::path(keep) / ("cut-" + std::to_string(cuts[at])),
                     fs::copy_options::recursive);
        }
        fs::remove_all(folder.parent_path());
        if (!faults.empty()) {
            ++failed;
            std::string words;
            for (const std::string& fault : faults) {
                words += "\n  " + fault;
            }
            ADD_FAILURE() << "cut at " << cuts[at] << " after " << run.reports.size()
                          << " operations (last: "
                          << (run.reports.empty() ? "" : run.reports.back().verb)
                          << "); replay: ZLT_CRASH_SEED=" << seed << " ZLT_CRASH_POINT=" << cuts[at]
                          << words;
        }
    }
    const auto took = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - started);
    std::cout << "crash: seed " << seed << ", " << ran << " cuts, " << took.count() << " seconds, "
              << failed << " failed; " << mended_ << " cut a copy short, which the start mended\n";
    EXPECT_EQ(ran, static_cast<long>(cuts.size())) << "the time ran out before every cut ran";
}

}  // namespace
}  // namespace zlt::test
