#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "competition/Competition.h"
#include "tests/support/CoreApplication.h"
#include "tests/support/TempEventFolder.h"

namespace zlt::test {

// The competition core inside a new event folder, as the program runs it. The folder is
// the working directory before the core is made, which places its journal and its copies
// there; the rows are opened by open(), once a test has filled the tables.
class CoreInFolder : public ::testing::Test {
protected:
    CoreInFolder() { ensureCoreApplication(); }

    void open() {
        competition.openPreliminary();
        competition.openFinals();
    }

    // The journal's lines without their time, as change|table|row|field|before|after.
    std::vector<std::string> journalLines() {
        std::vector<std::string> lines;
        for (const auto& entry : competition.journal().entries()) {
            lines.push_back(entry.change + "|" + entry.table + "|" + entry.row + "|" + entry.field +
                            "|" + entry.before + "|" + entry.after);
        }
        return lines;
    }

    TempEventFolder folder;
    WorkingDirectory inFolder{folder.path()};
    competition::Competition competition;
};

}  // namespace zlt::test
