#include "reports/Publishing.h"

#include <QStringList>
#include <exception>
#include <stdexcept>

#include "competition/Competition.h"
#include "text/TextFile.h"

namespace zlt::reports {
namespace {

const QString kAutomatic = QStringLiteral("automaticky");

}  // namespace

Publishing::Publishing(competition::Competition& competition, std::filesystem::path eventFolder)
    : competition_(competition), keptIn_(eventFolder / kFile) {
    const std::vector<std::string> lines = text::keptLines(keptIn_);
    folder_ = lines.empty() ? std::string() : lines[0];
    automatic_ = lines.size() > 1 && QString::fromStdString(lines[1]) == kAutomatic;
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &Publishing::publishAutomatically);
    connect(&competition.journal(), &competition::ChangeJournal::rowsWritten, this,
            &Publishing::scheduleAfterChange);
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
    QString text = QString::fromStdString(folder.string()) + QLatin1Char('\n');
    if (automatic) {
        text += kAutomatic + QLatin1Char('\n');
    }
    replaceFileSaying(keptIn_, text.toStdString());
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
