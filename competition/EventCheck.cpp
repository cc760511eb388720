#include "competition/EventCheck.h"

#include "database/ResultSet.h"

namespace zlt::competition {

std::string Finding::line() const {
    std::string line = finals ? "Finále, " : "Předkolo, ";
    if (number) {
        line += std::to_string(*number);
        line += ' ';
    }
    line += team;
    line += ": ";
    line += text;
    return line;
}

std::vector<Finding> checkEvent(const db::ResultSet&, const db::ResultSet&,
                                const DisciplineRules&) {
    return {};
}

std::vector<Finding> findingsOfRound(const std::vector<Finding>& findings, bool finals) {
    std::vector<Finding> ofRound;
    for (const Finding& finding : findings) {
        if (finding.finals == finals) {
            ofRound.push_back(finding);
        }
    }
    return ofRound;
}

}  // namespace zlt::competition
