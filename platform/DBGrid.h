#pragma once

#include <QTableView>
#include <functional>
#include <string_view>
#include <vector>

#include "database/DataSource.h"
#include "platform/ResultSetModel.h"

class QKeyEvent;

namespace zlt::platform {

class FrozenColumns;

// A results grid bound to a result set through its data source, editing it the way the
// judges' table is used to: typing or F2 opens the cell editor, Enter opens or closes it,
// Esc drops the typed text and then the row's changes, moving to another row posts, Insert
// starts a new row above, Down on the last row appends one, Ctrl+Delete deletes after a
// confirmation, and an untouched new row is dropped when the grid loses the focus.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    // The default column width: the field's display width in digits 0 of the grid's font.
    static constexpr int kDefaultWidth = -1;

    explicit DBGrid(db::DataSource& source, QWidget* parent = nullptr);
    ~DBGrid() override;

    ResultSetModel* resultModel() const { return model_; }
    db::ResultSet* resultSet() const { return model_->resultSet(); }

    // One width per column in pixels, kDefaultWidth for the default rule.
    void setColumnWidths(const std::vector<int>& widths);
    int defaultColumnWidth(int column) const;
    void setColumnVisible(int column, bool visible) { setColumnHidden(column, !visible); }
    bool isColumnVisible(int column) const { return !isColumnHidden(column); }
    void setColumnColor(int column, const QColor& color) { model_->setCellColor(column, color); }
    // The column the rows are sorted by stands out among the first `colouredColumns`.
    void highlightSortColumn(int column, int colouredColumns);
    QColor columnColor(int column) const { return model_->cellColor(column); }
    void setTitleColor(int column, const QColor& color) { model_->setTitleColor(column, color); }
    QColor titleColor(int column) const { return model_->titleColor(column); }

    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

    // A grid over rows this run may not write: it opens no editor, hands no key to the
    // window's handler, changes no row and sorts nothing (a sort would open the rows
    // anew); it only moves between cells.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return readOnly_; }

    // Keeps the first `count` columns in view at the left edge while the grid scrolls right.
    void fixLeadingColumns(int count);
    // Also keeps the cell clear of the fixed columns.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    using QTableView::edit;

    // Puts the current cell on that row and field, moving the result set as a click there
    // would, and gives the grid the keyboard. A row or field the grid lacks is ignored.
    void goToField(int row, std::string_view field);

    // The window's key-down handler: it sees every key first, also while the cell editor
    // is open, and the grid's own action follows unless the handler failed.
    std::function<void(int key)> onKeyDown;

signals:
    void titleClicked(int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // A cell typed into is brought into view with its editor: typing into a cell scrolled
    // out of sight would be typing blind.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    friend class DBGridDelegate;
    // Keys the cell editor does not keep for itself; returns true when handled.
    bool editorKey(QKeyEvent* event);
    bool handleEnter();
    void commitEditorText();
    void closeCurrentEditor(bool keepText);
    void cancelOrDropRow();
    void beforeReset();
    void syncCurrentRow();
    void onResultSetChanged(db::DataEvent event);
    void onFocusChanged(QWidget* old, QWidget* now);
    bool ownsWidget(const QWidget* widget) const;
    int currentColumn() const;

    ResultSetModel* model_;
    FrozenColumns* fixedColumns_ = nullptr;
    std::vector<int> widths_;
    bool syncing_ = false;
    bool resetting_ = false;
    bool readOnly_ = false;
    int lastColumn_ = 0;  // the column to keep when the view has no current cell
};

}  // namespace zlt::platform
