// The main sequence of the results office. It attaches the competition database of the
// event folder it is started in and opens both rounds' results.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "database/Connection.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"

namespace {

void report(const std::exception& error) {
    std::string text = error.what();
    if (text.empty() || text.back() != '.') {
        text += '.';
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace

int main() {
    zlt::db::Connection IB_Connection1;
    zlt::db::ResultSet IBOQuery1("IBOQuery1", IB_Connection1, zlt::db::preliminaryFields(),
                                 "SELECT *  FROM DATAZLT");
    zlt::db::ResultSet IBOQueryF("IBOQueryF", IB_Connection1, zlt::db::finalsFields(),
                                 "SELECT * FROM DATAZLTF");
    int failures = 0;
    try {
        IB_Connection1.setPath((std::filesystem::current_path() / "ZLT04.GDB").string());
        IBOQuery1.open();
        std::printf("%s: %d teams in the preliminary round\n", IB_Connection1.path().c_str(),
                    IBOQuery1.recordCount());
    } catch (const std::exception& error) {
        report(error);
        ++failures;
    }
    try {
        IBOQueryF.open();
        std::printf("%d finalists\n", IBOQueryF.recordCount());
    } catch (const std::exception& error) {
        report(error);
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
