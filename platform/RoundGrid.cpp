#include "platform/RoundGrid.h"

#include "platform/Controls.h"
#include "platform/SystemColors.h"

namespace zlt::platform {

RoundGrid makeRoundGrid(QWidget* window, db::DataSource& source, const RoundGridLook& look,
                        RoundGridHandlers handlers) {
    auto* grid = new DBGrid(source, window);
    grid->setGeometry(look.grid);
    grid->setColumnWidths(look.widths);
    for (int column = 0; column < static_cast<int>(look.widths.size()); ++column) {
        grid->setColumnColor(column, windowColor());
    }
    // The team's number and name stay in view: every column up to the team's name.
    if (const auto name = source.dataSet()->fields().positionOf("DRUZSTVO")) {
        grid->fixLeadingColumns(*name + 1);
    }
    grid->onKeyDown = std::move(handlers.keyDown);
    onSignal(grid, &DBGrid::titleClicked, window, std::move(handlers.titleClick));
    return {grid, makeTeamNavigator(source, window, look.navigator)};
}

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace zlt::platform
