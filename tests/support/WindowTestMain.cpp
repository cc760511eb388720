// The main of the window tests: a test that fails while a modal window or preview of the
// program is open gets it closed, so that its exec() returns and the failure is told at
// once rather than when ctest's time runs out.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/Operator.h"

namespace {

class LeftWindowsCloser : public ::testing::EmptyTestEventListener {
    // The application is made by the test itself, so the watch starts at the first failure
    // where no fixture or helper started it before.
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (result.failed() && QApplication::instance() != nullptr) {
            zlt::test::op::watchModals();
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new LeftWindowsCloser);
    return RUN_ALL_TESTS();
}
