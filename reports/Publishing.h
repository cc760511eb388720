#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <filesystem>

#include "reports/Export.h"

namespace zlt::reports {

// The folder the results are published to (a synchronised web folder, say), kept beside
// the database, and the automatic publishing: while results change, the pages are
// rewritten at most every 30 seconds.
// A publishing that fails never stops the operator's work: it is told through problem().
class Publishing : public QObject {
    Q_OBJECT
public:
    // Line 1: the folder; line 2: "automaticky" when the publishing is automatic. UTF-8.
    static constexpr const char* kFile = "publikace.txt";
    static constexpr int kIntervalSeconds = 30;

    Publishing(competition::Competition& competition, SheetBook sheets,
               std::filesystem::path eventFolder);

    std::filesystem::path folder() const { return folder_; }
    void setFolder(const std::filesystem::path& folder);
    bool automatic() const { return automatic_; }
    void setAutomatic(bool automatic);

    // Writes everything now into the folder. Throws as exportResults does.
    std::vector<std::filesystem::path> publishNow();

    const QString& problem() const { return problem_; }
    // Mostly for tests: the least time between two automatic publishings.
    void setInterval(std::chrono::milliseconds interval);

signals:
    void published();
    void problemChanged();

private:
    // ... as the implementation needs
    competition::Competition& competition_;
    SheetBook sheets_;
    std::filesystem::path keptIn_;
    std::filesystem::path folder_;
    bool automatic_ = false;
    QString problem_;
};

}  // namespace zlt::reports
