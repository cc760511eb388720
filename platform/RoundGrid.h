#pragma once

#include <QRect>
#include <functional>
#include <utility>
#include <vector>

#include "platform/CheckLine.h"
#include "platform/DBGrid.h"
#include "platform/DBNavigator.h"
#include "platform/Guard.h"

namespace zlt::platform {

// Where a round's grid and its navigator sit, and the grid's column widths (pixels, or
// DBGrid::kDefaultWidth).
struct RoundGridLook {
    QRect grid;
    std::vector<int> widths;
    QRect navigator;
};

// What the round's window does with the grid's keys and its title clicks.
struct RoundGridHandlers {
    std::function<void(int key)> keyDown;
    std::function<void(int column)> titleClick;
};

// The grid of one round's rows with its navigator, made alike by the main and the finals
// windows: every column in the window colour, the team's number and name kept in view while
// the grid scrolls right, the keys and title clicks handed to the window's handlers (a title
// click guarded, as every other control's handler).
struct RoundGrid {
    DBGrid* grid;
    DBNavigator* navigator;
};
RoundGrid makeRoundGrid(QWidget* window, db::DataSource& source, const RoundGridLook& look,
                        RoundGridHandlers handlers);

// Enter or the keypad's Enter: the keys after which a row's total is recomputed.
bool isEnter(int key);

// The check's red line of a round, kept to the check's findings of that round; a click on
// it runs the window's handler.
template <typename Check>
void followCheck(CheckLine& line, const Check& check, bool finals, QObject* window,
                 std::function<void()> clicked) {
    const auto show = [&line, &check, finals] { line.showFindings(check.findingsOf(finals)); };
    show();
    QObject::connect(&check, &Check::changed, window, show);
    onSignal(&line, &CheckLine::clicked, window, std::move(clicked));
}

// A round's grid kept to whether this run may write the database (the core's access
// state): read-only while it may not, with the red line saying why. `changed` runs with
// every change too, for the window's title.
template <typename Access>
void followAccess(QLabel& line, DBGrid& grid, const Access& access, QObject* window,
                  std::function<void()> changed) {
    QFont bold = line.font();
    bold.setBold(true);
    line.setFont(bold);
    const auto show = [&line, &grid, &access, changed = std::move(changed)] {
        line.setText(access.line());
        line.setVisible(!access.writable());
        grid.setReadOnly(!access.writable());
        changed();
    };
    show();
    QObject::connect(&access, &Access::changed, window, show);
}

}  // namespace zlt::platform
