#pragma once

#include <memory>

#include "database/Connection.h"
#include "database/ResultSet.h"
#include "reports/model/Report.h"
#include "tests/support/TempEventFolder.h"

namespace zlt::test {

// A band report over a real preliminary table: a 43.13 mm title with a centred heading, a
// 6.35 mm detail band with a rectangle, the team number and name and a column whose
// field name is one space, and a 35.98 mm summary with the count, the date and a stamp.
struct SampleReport {
    SampleReport();
    // Makes the table hold rows numbered 1 to count.
    void holdRows(int count);

    TempEventFolder folder;
    db::Connection connection;
    db::ResultSet rows{"IBOQuery1", connection, db::preliminaryFields(), "SELECT *  FROM DATAZLT"};
    reports::ReportDefinition report;
};

}  // namespace zlt::test
