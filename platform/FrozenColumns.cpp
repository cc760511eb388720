#include "platform/FrozenColumns.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>

namespace zlt::platform {

FrozenColumns::FrozenColumns(QTableView& grid, int count)
    : QTableView(&grid), grid_(grid), count_(count) {
    setModel(grid.model());
    shareSelection();
    copyRowsAndTitles();
    // The keyboard stays with the grid: typing goes into the grid's own cell editor.
    setFocusPolicy(Qt::NoFocus);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &QAbstractItemView::pressed, &grid,
            [&grid] { grid.setFocus(Qt::MouseFocusReason); });

    QScrollBar* down = verticalScrollBar();
    connect(grid.verticalScrollBar(), &QScrollBar::valueChanged, down, &QScrollBar::setValue);
    connect(down, &QScrollBar::valueChanged, grid.verticalScrollBar(), &QScrollBar::setValue);
    // Rows added or removed change this view's range a moment after the grid's.
    connect(down, &QScrollBar::rangeChanged, this,
            [this, down] { down->setValue(grid_.verticalScrollBar()->value()); });

    QHeaderView* titles = grid.horizontalHeader();
    connect(titles, &QHeaderView::sectionResized, this, &FrozenColumns::followGrid);
    connect(titles, &QHeaderView::geometriesChanged, this, &FrozenColumns::followGrid);
    connect(grid.horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &FrozenColumns::followGrid);
    grid.viewport()->installEventFilter(this);
    followGrid();
}

void FrozenColumns::shareSelection() {
    QItemSelectionModel* own = selectionModel();
    setSelectionModel(grid_.selectionModel());
    delete own;
    setSelectionMode(grid_.selectionMode());
    setSelectionBehavior(grid_.selectionBehavior());
}

void FrozenColumns::copyRowsAndTitles() {
    setFont(grid_.font());
    setWordWrap(grid_.wordWrap());
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(grid_.verticalHeader()->minimumSectionSize());
    verticalHeader()->setDefaultSectionSize(grid_.verticalHeader()->defaultSectionSize());
    setVerticalScrollMode(grid_.verticalScrollMode());

    QHeaderView* titles = horizontalHeader();
    titles->setFont(grid_.horizontalHeader()->font());
    titles->setSectionResizeMode(QHeaderView::Fixed);
    titles->setSectionsMovable(false);
    titles->setHighlightSections(false);
    // A title here is the grid's own title: a click sorts, it never selects the column.
    disconnect(titles, &QHeaderView::sectionPressed, this, nullptr);
    disconnect(titles, &QHeaderView::sectionEntered, this, nullptr);
    connect(titles, &QHeaderView::sectionClicked, grid_.horizontalHeader(),
            &QHeaderView::sectionClicked);
}

// A column the grid hides is hidden here too; its width is 0 already while the grid is
// still hiding it.
void FrozenColumns::followGrid() {
    const QHeaderView* titles = grid_.horizontalHeader();
    fixedWidth_ = 0;
    for (int column = 0; column < model()->columnCount(); ++column) {
        const int width = column < count_ ? titles->sectionSize(column) : 0;
        setColumnHidden(column, width == 0);
        if (width > 0) {
            setColumnWidth(column, width);
            fixedWidth_ += width;
        }
    }
    horizontalHeader()->setFixedHeight(titles->height());
    const QRect cells = grid_.viewport()->geometry();
    const int top = titles->geometry().top();
    setGeometry(cells.left(), top, fixedWidth_, cells.bottom() + 1 - top);
    const QScrollBar* across = grid_.horizontalScrollBar();
    setVisible(fixedWidth_ > 0 && across->value() > across->minimum());
}

void FrozenColumns::keepClear(const QModelIndex& index) {
    QScrollBar* across = grid_.horizontalScrollBar();
    if (!index.isValid() || fixedWidth_ == 0 || grid_.isColumnHidden(index.column())) {
        return;
    }
    if (index.column() < count_) {
        across->setValue(across->minimum());
        return;
    }
    while (across->value() > across->minimum() &&
           grid_.columnViewportPosition(index.column()) < fixedWidth_) {
        across->setValue(across->value() - 1);
    }
}

bool FrozenColumns::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
        followGrid();
    }
    return QTableView::eventFilter(watched, event);
}

}  // namespace zlt::platform
