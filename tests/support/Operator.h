#pragma once

#include <QPoint>
#include <QString>
#include <Qt>
#include <functional>

class QComboBox;
class QRadioButton;
class QWidget;

namespace zlt::platform {
class DBGrid;
}
namespace zlt::reports {
class PreviewWindow;
}

// The hands of the operator: keys go to whatever has the keyboard focus and clicks land on
// whatever is under a point of a window, both through the window system's input path, so
// that a window blocked by a modal dialog ignores them as it does for a person.
namespace zlt::test::op {

// Presses and releases a key in the window of the focus widget; a test fails when no
// widget has the focus, since the key would then go nowhere.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Types the text character by character, each as a key press and release.
void type(const QString& text);

// Clicks at a point of a window, in its own coordinates.
void clickAt(QWidget& window, QPoint point);
// Clicks at the centre of a widget, at that point of its window.
void click(QWidget& widget);
// Clicks a radio button at its indicator, where a person does: past a short text the
// centre of its box is no part of it.
void choose(QRadioButton& button);
// Picks an item of a drop-down list as a person does with the keyboard: a click opens the
// list, Down and Up move to the item and Enter takes it.
void pick(QComboBox& box, int index);
void clickCell(platform::DBGrid& grid, int row, int column);
void clickTitle(platform::DBGrid& grid, int column);
// Clicks the tool-bar button of a preview command.
void clickCommand(reports::PreviewWindow& preview, const QString& toolTip);

// Runs the steps as soon as the event loop turns again: inside the modal dialog or
// preview that the next click opens, once it has the keyboard, the way a person answers it
// while it is on screen.
void whenShown(std::function<void()> steps);

// Closes every modal window and preview a test left open, innermost first, so that a test
// that failed inside one ends at once instead of waiting in it until its time runs out.
void closeLeftWindows();
// From now on, in this process: a modal window or preview still up a moment after the test
// failed is closed, and one up for 90 s with nobody answering it fails the test and is
// closed. Needs the QApplication; does nothing before it is made.
void watchModals();

// The preview window on the screen, or none.
reports::PreviewWindow* openPreview();

// Runs a click and tells whether it showed a preview, which is closed again.
bool showsPreview(const std::function<void()>& click);

// Runs a click that should open a preview, does the steps in it and closes it with Esc.
// A preview Esc cannot close is closed by force and fails the test, so nothing hangs.
void inPreview(const std::function<void()>& click,
               const std::function<void(reports::PreviewWindow&)>& steps);

}  // namespace zlt::test::op
