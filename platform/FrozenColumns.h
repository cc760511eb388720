#pragma once

#include <QTableView>

namespace zlt::platform {

// The leading columns of a grid (the team's number and name), kept in view while the grid
// is scrolled right, so that a placing typed far right is never typed blind. It is a second
// view of the same rows laid over the grid's left edge, showing only those columns with the
// grid's widths, titles, colours and hidden columns. It shares the grid's selection, so a
// click on one of its cells makes that cell current in the grid, which keeps the keyboard.
// It is shown only while the grid is scrolled right: otherwise the grid's own columns stand
// in the same place.
class FrozenColumns : public QTableView {
    Q_OBJECT
public:
    FrozenColumns(QTableView& grid, int count);

    // Scrolls the grid so that the cell is not hidden under the fixed columns: a fixed cell
    // is shown in its own place, with the grid scrolled back to the left edge.
    void keepClear(const QModelIndex& index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followGrid();
    void shareSelection();
    void copyRowsAndTitles();

    QTableView& grid_;
    int count_;
    int fixedWidth_ = 0;
};

}  // namespace zlt::platform
