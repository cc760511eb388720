#include "competition/Together.h"

#include <exception>

#include "database/ResultSet.h"
#include "database/Transaction.h"

namespace zlt::competition {

void writeTogether(std::initializer_list<db::ResultSet*> rows, const std::function<void()>& work) {
    try {
        db::Transaction::together((*rows.begin())->connection(), work);
    } catch (...) {
        // The error to report is the one that stopped the work, not a later one.
        for (db::ResultSet* each : rows) {
            try {
                each->cancel();
                each->refresh();
            } catch (const std::exception&) {
            }
        }
        throw;
    }
}

}  // namespace zlt::competition
