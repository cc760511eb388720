#include "competition/LiveCheck.h"

#include <utility>

namespace zlt::competition {

LiveCheck::LiveCheck(std::filesystem::path eventFolder,
                     std::function<std::vector<Finding>(const DisciplineRules&)> check,
                     QObject* parent)
    : QObject(parent), folder_(std::move(eventFolder)), check_(std::move(check)) {}

void LiveCheck::setRules(const DisciplineRules& rules) {
    saveDisciplineRules(folder_, rules);
    rules_ = rules;
    const bool problemGone = !std::exchange(rulesProblem_, {}).empty();
    if (!recheckFindings() && problemGone) {
        emit changed();
    }
}

std::vector<Finding> LiveCheck::findingsOf(bool finals) const {
    return findingsOfRound(findings_, finals);
}

std::vector<Finding> LiveCheck::findingsBehind(DiplomaRound round) const {
    return round == DiplomaRound::Overall ? findings_ : findingsOf(round == DiplomaRound::Finals);
}

void LiveCheck::reloadRules() {
    LoadedRules loaded = loadDisciplineRules(folder_);
    rules_ = loaded.rules;
    const bool problemChanged = loaded.problem != rulesProblem_;
    rulesProblem_ = std::move(loaded.problem);
    if (!recheckFindings() && problemChanged) {
        emit changed();
    }
}

void LiveCheck::recheck() {
    recheckFindings();
}

bool LiveCheck::recheckFindings() {
    std::vector<Finding> findings = check_(rules_);
    if (findings == findings_) {
        return false;
    }
    findings_ = std::move(findings);
    emit changed();
    return true;
}

}  // namespace zlt::competition
