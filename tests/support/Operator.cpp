#include "tests/support/Operator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include "platform/DBGrid.h"
#include "reports/Preview.h"

namespace zlt::test::op {
namespace {

// A window opened a moment ago takes the focus a little later on a slow build, as a person
// sees a box appear before typing into it: the keys wait for it a while. When it never
// comes, the test fails and every modal window it left is closed, so that the failure is
// told at once instead of when the test's time runs out.
// A modal window shown but not yet active leaves the keyboard with the window under it,
// so a key sent then would go there.
bool keyboardSettled() {
    QWidget* modal = QApplication::activeModalWidget();
    return QApplication::focusWidget() != nullptr &&
           (modal == nullptr || QApplication::activeWindow() == modal);
}

QWindow* focusWindow() {
    QElapsedTimer clock;
    clock.start();
    while (!keyboardSettled() && clock.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (QWidget* focus = QApplication::focusWidget()) {
        return focus->window()->windowHandle();
    }
    ADD_FAILURE() << "no widget has the keyboard focus: the key goes nowhere";
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        QApplication::processEvents();
        if (modal == QApplication::activeModalWidget()) {
            break;
        }
    }
    return nullptr;
}

void clickInside(QWidget& widget, QPoint point) {
    clickAt(*widget.window(), widget.mapTo(widget.window(), point));
}

}  // namespace

void press(int key, Qt::KeyboardModifiers modifiers) {
    if (QWindow* window = focusWindow()) {
        QTest::keyClick(window, static_cast<Qt::Key>(key), modifiers);
        QApplication::processEvents();
    }
}

void type(const QString& text) {
    for (const QChar character : text) {
        QWindow* window = focusWindow();
        if (window == nullptr) {
            return;
        }
        // Letters and digits have key codes of their own; other characters come as text.
        const int key = character.isLetterOrNumber() && character.unicode() < 128
                            ? character.toUpper().unicode()
                            : static_cast<int>(Qt::Key_unknown);
        qt_handleKeyEvent(window, QEvent::KeyPress, key, Qt::NoModifier, QString(character));
        qt_handleKeyEvent(window, QEvent::KeyRelease, key, Qt::NoModifier, QString(character));
    }
    QApplication::processEvents();
}

void clickAt(QWidget& window, QPoint point) {
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
    QApplication::processEvents();
}

void click(QWidget& widget) {
    clickInside(widget, widget.rect().center());
}

void choose(QRadioButton& button) {
    clickInside(button, {button.height() / 2, button.height() / 2});
}

void pick(QComboBox& box, int index) {
    click(box);
    for (int at = box.currentIndex(); at != index; at += at < index ? 1 : -1) {
        press(at < index ? Qt::Key_Down : Qt::Key_Up);
    }
    press(Qt::Key_Return);
}

void clickCell(platform::DBGrid& grid, int row, int column) {
    grid.scrollTo(grid.model()->index(row, column));
    const QRect cell = grid.visualRect(grid.model()->index(row, column));
    clickInside(*grid.viewport(), cell.center());
}

void clickTitle(platform::DBGrid& grid, int column) {
    // A title beyond the grid's right edge is scrolled into view first, as a person would.
    grid.scrollTo(grid.model()->index(std::max(grid.rowAt(0), 0), column));
    QHeaderView* header = grid.horizontalHeader();
    clickInside(*header->viewport(),
                {header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                 header->height() / 2});
}

void clickCommand(reports::PreviewWindow& preview, const QString& toolTip) {
    for (QToolBar* bar : preview.findChildren<QToolBar*>()) {
        for (QAction* action : bar->actions()) {
            if (action->toolTip() == toolTip) {
                click(*bar->widgetForAction(action));
                return;
            }
        }
    }
    ADD_FAILURE() << "the preview has no command " << toolTip.toStdString();
}

void whenShown(std::function<void()> steps) {
    QTimer::singleShot(0, [steps = std::move(steps)] {
        // The window system's news of the new window (its activation) comes first.
        QApplication::processEvents();
        steps();
    });
}

reports::PreviewWindow* openPreview() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* preview = qobject_cast<reports::PreviewWindow*>(widget);
        if (preview != nullptr && preview->isVisible()) {
            return preview;
        }
    }
    return nullptr;
}

bool showsPreview(const std::function<void()>& click) {
    bool shown = false;
    whenShown([&] {
        if (reports::PreviewWindow* preview = openPreview()) {
            shown = true;
            preview->close();
        }
    });
    click();
    return shown;
}

void inPreview(const std::function<void()>& click,
               const std::function<void(reports::PreviewWindow&)>& steps) {
    bool shown = false;
    whenShown([&] {
        reports::PreviewWindow* preview = openPreview();
        if (preview == nullptr) {
            return;
        }
        shown = true;
        steps(*preview);
        press(Qt::Key_Escape);
        if (openPreview() == preview) {
            ADD_FAILURE() << "Esc did not close the preview";
            preview->close();
        }
    });
    click();
    EXPECT_TRUE(shown) << "no preview was shown";
}

}  // namespace zlt::test::op
