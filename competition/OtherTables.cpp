#include "competition/OtherTables.h"

#include <unistd.h>

#include <set>
#include <string>
#include <utility>

#include "database/FieldList.h"
#include "database/FieldValue.h"
#include "database/ResultSet.h"

namespace zlt::competition {
namespace {

// A program is told apart by the computer it runs on and its process number, which the
// server records for every attachment.
const db::FieldList& attachmentFields() {
    static const db::FieldList fields("MON$ATTACHMENTS",
                                      {{"MON$REMOTE_PID", db::FieldType::Integer, 0, {}},
                                       {"MON$REMOTE_HOST", db::FieldType::Text, 255, {}}});
    return fields;
}

std::string ownHost() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

}  // namespace

int otherTables(db::Connection& connection) {
    db::ResultSet attachments("MON$ATTACHMENTS", connection, attachmentFields(),
                              "SELECT * FROM MON$ATTACHMENTS WHERE MON$SYSTEM_FLAG = 0");
    attachments.open();
    const std::pair<std::string, std::string> self{std::to_string(getpid()), ownHost()};
    std::set<std::pair<std::string, std::string>> programs;
    for (int row = 0; row < attachments.recordCount(); ++row) {
        std::pair<std::string, std::string> program{
            db::displayText(attachments.value(row, 0)),
            std::string(db::withoutBlanks(db::displayText(attachments.value(row, 1))))};
        // An embedded attachment names no computer: it is this program's own.
        if (program != self && !program.second.empty()) {
            programs.insert(std::move(program));
        }
    }
    return static_cast<int>(programs.size());
}

}  // namespace zlt::competition
