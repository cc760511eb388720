#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <vector>

#include "competition/Diplomas.h"
#include "competition/Disciplines.h"
#include "competition/EventCheck.h"

namespace zlt::competition {

// The event's findings kept up to date: checked again whenever the rows were read again
// after any table's commit (LiveChanges::changed, never by polling) and whenever the
// disciplines' choices change. The windows, the diplomas and the phone page follow it.
class LiveCheck : public QObject {
    Q_OBJECT
public:
    // check() runs checkEvent over the rounds as they are now held.
    LiveCheck(std::filesystem::path eventFolder,
              std::function<std::vector<Finding>(const DisciplineRules&)> check,
              QObject* parent = nullptr);

    const DisciplineRules& rules() const { return rules_; }
    // Why the choices file was not read (it is then all manual); empty when it was.
    const std::string& rulesProblem() const { return rulesProblem_; }
    // Saves the choices (Refusal in Czech on failure, the old ones kept) and checks again.
    void setRules(const DisciplineRules& rules);

    const std::vector<Finding>& findings() const { return findings_; }
    std::vector<Finding> findingsOf(bool finals) const;
    // The findings in the rows a round's diplomas are made from: the overall standings come
    // from both rounds.
    std::vector<Finding> findingsBehind(DiplomaRound round) const;

    // Reads the choices file again and checks; the competition calls it once both rounds
    // are open and after each re-read of the rows.
    void reloadRules();
    void recheck();

signals:
    void changed();

private:
    // Checks and keeps the findings; tells of them and returns true only when they differ.
    bool recheckFindings();

    std::filesystem::path folder_;
    std::function<std::vector<Finding>(const DisciplineRules&)> check_;
    DisciplineRules rules_;
    std::string rulesProblem_;
    std::vector<Finding> findings_;
};

}  // namespace zlt::competition
