#include "reports/Publishing.h"

#include <QStringList>
#include <exception>
#include <stdexcept>

#include "competition/Competition.h"
#include "competition/EventChoices.h"
#include "competition/TypedWords.h"

namespace zlt::reports {
namespace {

const QString kAutomatic = QStringLiteral("automaticky");

}  // namespace

Publishing::Publishing(competition::Competition& competition, std::filesystem::path eventFolder)
    : competition_(competition), eventFolder_(std::move(eventFolder)) {
    readKept();
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Publishing::publishAutomatically);
    connect(&competition.journal(), &competition::ChangeJournal::rowsWritten, this,
            &Publishing::scheduleAfterChange);
}

void Publishing::readKept() {
    const competition::KeptChoice kept =
        competition::readChoice(eventFolder_, competition::EventChoice::Publishing);
    std::string problem = kept.problem;
    const QString second = QString::fromStdString(kept.lines.size() > 1 ? kept.lines[1] : "");
    if (!second.isEmpty() && second != kAutomatic) {
        problem = competition::damagedLine(
            competition::EventChoice::Publishing, 2,
            competition::quotedText(kept.lines[1]) + " není „automaticky“.");
    }
    if (!problem.empty()) {
        problem_ = QString::fromStdString(problem);
        return;
    }
    folder_ = kept.first();
    automatic_ = second == kAutomatic;
}

void Publishing::setFolder(const std::filesystem::path& folder) {
    keep(folder, automatic_);
    folder_ = folder;
}

void Publishing::setAutomatic(bool automatic) {
    keep(folder_, automatic);
    automatic_ = automatic;
}

void Publishing::keep(const std::filesystem::path& folder, bool automatic) {
    std::vector<std::string> lines{folder.string()};
    if (automatic) {
        lines.push_back(kAutomatic.toStdString());
    }
    competition::keepChoice(eventFolder_, competition::EventChoice::Publishing, lines);
}

std::vector<std::filesystem::path> Publishing::publishNow() {
    lastPublished_ = std::chrono::steady_clock::now();
    try {
        if (folder_.empty()) {
            throw std::runtime_error("Není zvolena složka, do které se výsledky publikují.");
        }
        auto written = exportResults(competition_, currentOptions(competition_), folder_);
        setProblem({});
        emit published();
        return written;
    } catch (const std::exception& error) {
        setProblem(QString::fromUtf8(error.what()));
        throw;
    }
}

// The first change after a quiet interval goes out at once; the changes that follow wait
// for the interval's end and go out together.
void Publishing::scheduleAfterChange() {
    if (!automatic_ || folder_.empty() || timer_.isActive()) {
        return;
    }
    const auto sinceLast = lastPublished_ ? std::chrono::steady_clock::now() - *lastPublished_
                                          : std::chrono::steady_clock::duration(interval_);
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(interval_ - sinceLast);
    timer_.start(std::max(wait, std::chrono::milliseconds(0)));
}

void Publishing::publishAutomatically() {
    if (!automatic_ || folder_.empty()) {
        return;
    }
    try {
        publishNow();
    } catch (const std::exception&) {
        // Told through problem(); the next change tries again.
    }
}

void Publishing::setProblem(const QString& problem) {
    if (problem == problem_) {
        return;
    }
    problem_ = problem;
    emit problemChanged();
}

}  // namespace zlt::reports
