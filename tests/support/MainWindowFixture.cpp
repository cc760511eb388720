#include "tests/support/MainWindowFixture.h"

#include <QApplication>

#include "settings/Nastaveni.h"

namespace zlt::test {

void MainWindowFixture::SetUp() {
    ensureApplication();
    op::watchModals();
    previousDirectory_ = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
}

void MainWindowFixture::TearDown() {
    grid_ = nullptr;
    app::destroyWindows();
    std::filesystem::current_path(previousDirectory_);
}

void MainWindowFixture::startProgram() {
    app::createWindows();
    frmHlavni->show();
    QApplication::processEvents();
    op::clickCell(grid(), 0, 0);
}

void MainWindowFixture::inSettings(const std::function<void()>& steps) {
    op::whenShown([&] {
        if (!frmNastaveni->isVisible()) {
            ADD_FAILURE() << "the settings window did not open";
            return;
        }
        steps();
        if (frmNastaveni->isVisible()) {
            op::click(*frmNastaveni->Button2);
        }
    });
    op::click(*frmHlavni->btnNastaveni);
    EXPECT_FALSE(frmNastaveni->isVisible());
}

void MainWindowFixture::confirmDetails(bool penalties) {
    inSettings([&] {
        op::click(*frmNastaveni->EditCislo);
        op::press(Qt::Key_A, Qt::ControlModifier);
        op::type(QStringLiteral("50"));
        if (frmNastaveni->CheckBox1->isChecked() != penalties)
            op::click(*frmNastaveni->CheckBox1);
        op::click(*frmNastaveni->btnPotvrdit);
    });
    ASSERT_TRUE(dialogs.requests.empty());
}

void MainWindowFixture::selectCell(int row, int column) {
    op::clickCell(grid(), row, column);
}

void MainWindowFixture::clickTitle(int column) {
    op::clickTitle(grid(), column);
}

void MainWindowFixture::press(int key, Qt::KeyboardModifiers modifiers) {
    op::press(key, modifiers);
}

void MainWindowFixture::type(const QString& text) {
    op::type(text);
}

}  // namespace zlt::test
