#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <optional>

#include "reports/sheets/Export.h"

namespace zlt::reports {

// The folder the results are published to (a synchronised web folder, say), kept beside
// the database, and the automatic publishing: while results change, the pages are
// rewritten at most every 30 seconds; the first change after a quiet while publishes as
// soon as the event loop turns, later ones wait for the end of the interval and go out
// together. Needs a QCoreApplication for its timer.
// A publishing that fails never stops the operator's work: it is told through problem().
class Publishing : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalSeconds = 30;

    // Reads the folder and the choice kept in the event folder
    // (competition::EventChoice::Publishing), if any; a damaged file is told through
    // problem() and chooses nothing.
    Publishing(competition::Competition& competition, std::filesystem::path eventFolder);

    // Both keep the choice in the event folder at once; they throw with a Czech message
    // when it cannot be written, and then change nothing.
    std::filesystem::path folder() const { return folder_; }
    void setFolder(const std::filesystem::path& folder);
    bool automatic() const { return automatic_; }
    void setAutomatic(bool automatic);

    // Writes everything now into the folder. Throws as exportResults does, and also when
    // no folder is chosen; the outcome sets problem() either way.
    std::vector<std::filesystem::path> publishNow();

    // Why the last publishing failed, in Czech; empty after one that succeeded.
    const QString& problem() const { return problem_; }
    // Mostly for tests: the least time between two automatic publishings.
    void setInterval(std::chrono::milliseconds interval) { interval_ = interval; }

signals:
    void published();
    void problemChanged();

private:
    void readKept();
    void keep(const std::filesystem::path& folder, bool automatic);
    void scheduleAfterChange();
    void publishAutomatically();
    void setProblem(const QString& problem);

    competition::Competition& competition_;
    std::filesystem::path eventFolder_;
    std::filesystem::path folder_;
    bool automatic_ = false;
    QString problem_;
    std::chrono::milliseconds interval_{std::chrono::seconds(kIntervalSeconds)};
    QTimer timer_;
    std::optional<std::chrono::steady_clock::time_point> lastPublished_;
};

}  // namespace zlt::reports
