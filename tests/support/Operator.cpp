#include "tests/support/Operator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <exception>

#include "platform/DBGrid.h"
#include "reports/Preview.h"

namespace zlt::test::op {
namespace {

// A window opened a moment ago takes the focus a little later on a slow build, as a person
// sees a box appear before typing into it: the keys wait for it a while. When it never
// comes, the test fails and every modal window it left is closed, so that the failure is
// told at once instead of when the test's time runs out.
constexpr int kFocusPatienceMs = 5000;
// A modal window that is up but not active after this long lost its activation to a window
// under it; a window manager hands the keyboard to the modal window then, and so does this.
constexpr int kActivationNudgeMs = 250;
// How long a modal window may stay up once the test failed: time for the steps running in
// it to finish and close it themselves.
constexpr int kGraceAfterFailureMs = 2000;
// A modal window up this long has nobody to answer it: the test would wait in it until its
// time runs out.
constexpr int kUnansweredMs = 90000;

// Whether keys to the active window reach it past the modal window: it is the modal window
// or a window opened from it, as a preview asked for in a dialog is.
bool takesKeysPastModal(const QWidget* active, const QWidget* modal) {
    for (const QWidget* window = active; window != nullptr; window = window->parentWidget()) {
        if (window == modal) {
            return true;
        }
    }
    return modal == nullptr;
}

// A modal window shown but not yet active leaves the keyboard with the window under it,
// so a key sent then would go there.
bool keyboardSettled() {
    return QApplication::focusWidget() != nullptr &&
           takesKeysPastModal(QApplication::activeWindow(), QApplication::activeModalWidget());
}

// Turns the event loop until the condition holds or the time is up; tells whether it holds.
bool waitFor(const std::function<bool()>& condition, int milliseconds,
             const std::function<void()>& meanwhile = {}) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() >= milliseconds) {
            return false;
        }
        if (meanwhile) {
            meanwhile();
        }
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void activateLateModal(const QElapsedTimer& clock) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible() && clock.elapsed() >= kActivationNudgeMs &&
        !takesKeysPastModal(QApplication::activeWindow(), modal)) {
        // Not activateWindow(): a dialog counts as active while the window it belongs to is.
        modal->windowHandle()->requestActivate();
    }
}

QWindow* focusWindow() {
    QElapsedTimer clock;
    clock.start();
    waitFor(keyboardSettled, kFocusPatienceMs, [&] { activateLateModal(clock); });
    if (QWidget* focus = QApplication::focusWidget()) {
        return focus->window()->windowHandle();
    }
    ADD_FAILURE() << "no widget has the keyboard focus: the key goes nowhere";
    closeLeftWindows();
    return nullptr;
}

// The window in front that a test's steps may have left open: a modal window, else a preview
// (which waits in an event loop of its own).
QWidget* leftWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return openPreview();
}

void watchTick() {
    static QPointer<QWidget> watched;
    static QElapsedTimer upFor;
    static QElapsedTimer sinceFailure;
    QWidget* window = leftWindow();
    if (window != watched) {
        watched = window;
        upFor.start();
    }
    if (!::testing::Test::HasFailure()) {
        sinceFailure.invalidate();
    } else if (!sinceFailure.isValid()) {
        sinceFailure.start();
    }
    if (window == nullptr) {
        return;
    }
    if (sinceFailure.isValid() && sinceFailure.elapsed() >= kGraceAfterFailureMs) {
        closeLeftWindows();
    } else if (upFor.elapsed() >= kUnansweredMs) {
        ADD_FAILURE() << "the window \"" << window->windowTitle().toStdString() << "\" stayed open "
                      << kUnansweredMs / 1000 << " s with nobody answering it";
        closeLeftWindows();
    }
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
    watchModals();
    QTimer::singleShot(0, [steps = std::move(steps)] {
        // The window system's news of the new window (its activation) comes first; a modal
        // window is waited for until it has the keyboard. Where the click opened none, the
        // steps find that out themselves.
        QApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        waitFor(keyboardSettled, kFocusPatienceMs, [&] { activateLateModal(clock); });
        // An error thrown here would unwind through the window's exec(), which Qt cannot
        // survive: it fails the test instead, and the window is closed after it.
        try {
            steps();
        } catch (const std::exception& error) {
            ADD_FAILURE() << "a step in the window threw: " << error.what();
        }
    });
}

void closeLeftWindows() {
    // Innermost first; one that refuses to go is hidden, which ends its exec() all the same.
    for (int tries = 0; tries < 20; ++tries) {
        QWidget* window = leftWindow();
        if (window == nullptr) {
            return;
        }
        if (auto* dialog = qobject_cast<QDialog*>(window)) {
            dialog->reject();
        } else if (!window->close()) {
            window->hide();
        }
        QApplication::processEvents();
        if (window == leftWindow() && window->isVisible()) {
            window->hide();
        }
    }
}

void watchModals() {
    static QPointer<QTimer> timer;
    if (timer != nullptr || QApplication::instance() == nullptr ||
        QThread::currentThread() != QApplication::instance()->thread()) {
        return;
    }
    timer = new QTimer(QApplication::instance());
    QObject::connect(timer, &QTimer::timeout, timer, watchTick);
    timer->start(50);
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
