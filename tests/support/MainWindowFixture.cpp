#include "tests/support/MainWindowFixture.h"

#include <QApplication>
#include <cstdlib>

namespace zlt::test {

void ensureApplication() {
    if (QApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "zlt-tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
}

void MainWindowFixture::SetUp() {
    ensureApplication();
    previousDirectory_ = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    Sestupne = false;
    Potvrzeno = false;
}

void MainWindowFixture::TearDown() {
    grid_ = nullptr;
    app::destroyWindows();
    std::filesystem::current_path(previousDirectory_);
}

void MainWindowFixture::startProgram() {
    app::createWindows();
    frmHlavni->show();
    QApplication::setActiveWindow(frmHlavni);
    grid().setFocus();
    QApplication::processEvents();
}

void MainWindowFixture::selectCell(int row, int column) {
    grid().setCurrentIndex(grid().model()->index(row, column));
    QApplication::processEvents();
}

void MainWindowFixture::clickTitle(int column) {
    QHeaderView* header = grid().horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QApplication::processEvents();
}

namespace {

// Where a key goes: the cell editor while one is open, else the grid.
QWidget* keyTarget(platform::DBGrid& grid) {
    QWidget* editor = grid.indexWidget(grid.currentIndex());
    return editor != nullptr ? editor : &grid;
}

}  // namespace

void MainWindowFixture::press(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(keyTarget(grid()), static_cast<Qt::Key>(key), modifiers);
    QApplication::processEvents();
}

void MainWindowFixture::type(const QString& text) {
    for (const QChar character : text) {
        const int key = character.isLetterOrNumber() && character.unicode() < 128
                            ? character.toUpper().unicode()
                            : static_cast<int>(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(character));
        QApplication::sendEvent(keyTarget(grid()), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(character));
        QApplication::sendEvent(keyTarget(grid()), &release);
    }
    QApplication::processEvents();
}

}  // namespace zlt::test
