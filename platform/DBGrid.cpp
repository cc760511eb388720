#include "platform/DBGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "platform/Dialogs.h"
#include "platform/FrozenColumns.h"
#include "platform/Guard.h"
#include "platform/SystemColors.h"

namespace zlt::platform {
namespace {

constexpr QAbstractItemView::EditTriggers kEditTriggers = QAbstractItemView::AnyKeyPressed |
                                                          QAbstractItemView::EditKeyPressed |
                                                          QAbstractItemView::DoubleClicked;

}  // namespace

// The cell editor: a line edit whose Enter, Esc, Up and Down go to the grid, and whose
// first keystroke puts the row into edit state, as a typed change is a change of the row.
class DBGridDelegate : public QStyledItemDelegate {
public:
    explicit DBGridDelegate(DBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        const db::FieldDef& field = grid_->resultSet()->fields()[index.column()];
        if (field.type == db::FieldType::Text) {
            editor->setMaxLength(field.length);
        }
        QObject::connect(editor, &QLineEdit::textEdited, grid_,
                         [grid = grid_] { runGuarded([grid] { grid->resultSet()->edit(); }); });
        Q_UNUSED(option);
        return editor;
    }

    // Only typed text is written into the row: opening and leaving the editor is no change.
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        auto* line = static_cast<QLineEdit*>(editor);
        if (line->isModified()) {
            line->setModified(false);
            model->setData(index, line->text(), Qt::EditRole);
        }
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && grid_->editorKey(static_cast<QKeyEvent*>(event))) {
            return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    DBGrid* grid_;
};

DBGrid::DBGrid(db::DataSource& source, QWidget* parent)
    : QTableView(parent), model_(new ResultSetModel(source, this)) {
    setModel(model_);
    setItemDelegate(new DBGridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(kEditTriggers);
    setTabKeyNavigation(true);
    setWordWrap(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    // A title click sorts; it must not select the column.
    disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(horizontalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (!readOnly_) {
            emit titleClicked(column);
        }
    });
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setMinimumSectionSize(10);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setFixedWidth(14);
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, &DBGrid::beforeReset);
    connect(model_, &ResultSetModel::resultSetChanged, this, &DBGrid::onResultSetChanged);
    connect(qApp, &QApplication::focusChanged, this, &DBGrid::onFocusChanged);
    syncCurrentRow();
}

// Destroying the cell editor moves the focus; a half-destroyed grid must not hear of it.
DBGrid::~DBGrid() {
    disconnect(qApp, nullptr, this, nullptr);
}

void DBGrid::fixLeadingColumns(int count) {
    delete fixedColumns_;
    fixedColumns_ = new FrozenColumns(*this, count);
}

void DBGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTableView::scrollTo(index, hint);
    if (fixedColumns_ != nullptr) {
        fixedColumns_->keepClear(index);
    }
}

bool DBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool opened = QTableView::edit(index, trigger, event);
    if (opened && isEditing()) {
        scrollTo(index);
    }
    return opened;
}

void DBGrid::setColumnWidths(const std::vector<int>& widths) {
    widths_ = widths;
    for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
        setColumnWidth(
            column, widths[column] == kDefaultWidth ? defaultColumnWidth(column) : widths[column]);
    }
}

int DBGrid::defaultColumnWidth(int column) const {
    const db::ResultSet* set = resultSet();
    const db::FieldDef& field = set->fields()[column];
    const int displayWidth = field.type == db::FieldType::Text ? field.length : 10;
    const QFontMetrics cells(font());
    const QFontMetrics titles(horizontalHeader()->font());
    return std::max(displayWidth * cells.horizontalAdvance(QLatin1Char('0')) + 4,
                    titles.horizontalAdvance(QString::fromStdString(field.displayLabel)) + 4);
}

// While the rows are re-read the view loses its current cell and puts a new one on the
// first row; that must not move the result set, which keeps its own current row. The cell
// editor is closed first: destroyed by the reset it would pass the focus on along the tab
// chain, leaving the grid without the keyboard.
void DBGrid::beforeReset() {
    resetting_ = true;
    closeCurrentEditor(false);
}

int DBGrid::currentColumn() const {
    if (currentIndex().isValid()) {
        return currentIndex().column();
    }
    if (lastColumn_ < model_->columnCount() && !isColumnHidden(lastColumn_)) {
        return lastColumn_;
    }
    for (int column = 0; column < model_->columnCount(); ++column) {
        if (!isColumnHidden(column)) {
            return column;
        }
    }
    return 0;
}

void DBGrid::syncCurrentRow() {
    const db::ResultSet* set = resultSet();
    if (set == nullptr || !set->active() || set->recNo() < 0) {
        return;
    }
    syncing_ = true;
    const QModelIndex target = model_->index(set->recNo(), currentColumn());
    if (currentIndex() != target) {
        setCurrentIndex(target);
    }
    scrollTo(target);
    syncing_ = false;
}

void DBGrid::onResultSetChanged(db::DataEvent event) {
    if (event == db::DataEvent::UpdateRecord) {
        // Text still in the cell editor belongs to the row about to be written.
        commitEditorText();
        return;
    }
    if (event == db::DataEvent::DataSetChanged || event == db::DataEvent::Scrolled) {
        resetting_ = false;
        syncCurrentRow();
    }
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid() && !resetting_) {
        lastColumn_ = current.column();
    }
    db::ResultSet* set = resultSet();
    if (syncing_ || resetting_ || !current.isValid() || set == nullptr || !set->active() ||
        current.row() == set->recNo()) {
        return;
    }
    runGuarded([&] { set->moveTo(current.row()); });
    syncCurrentRow();
}

void DBGrid::goToField(int row, std::string_view field) {
    const db::ResultSet* set = resultSet();
    const std::optional<int> column =
        set != nullptr ? set->fields().positionOf(field) : std::nullopt;
    if (!column || row < 0 || row >= model_->rowCount()) {
        return;
    }
    setCurrentIndex(model_->index(row, *column));
    scrollTo(currentIndex());
    setFocus();
}

bool DBGrid::handleEnter() {
    const bool wasEditing = isEditing();
    const QModelIndex cell = currentIndex();
    if (onKeyDown && !runGuarded([&] { onKeyDown(Qt::Key_Return); })) {
        return true;
    }
    if (wasEditing) {
        closeCurrentEditor(true);
    } else if (currentIndex().isValid()) {
        edit(currentIndex());
    } else if (cell.isValid()) {
        edit(cell);
    }
    return true;
}

void DBGrid::cancelOrDropRow() {
    runGuarded([&] { resultSet()->cancel(); });
}

bool DBGrid::editorKey(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return handleEnter();
        case Qt::Key_Escape:
            // The first Esc drops the typed text only; the row's changes go with the next.
            closeCurrentEditor(false);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            closeCurrentEditor(true);
            keyPressEvent(event);
            return true;
        default:
            return onKeyDown && !runGuarded([&] { onKeyDown(event->key()); });
    }
}

void DBGrid::setReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (readOnly) {
        closeCurrentEditor(false);
    }
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers : kEditTriggers);
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    if (readOnly_) {
        QTableView::keyPressEvent(event);
        return;
    }
    db::ResultSet* set = resultSet();
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        handleEnter();
        return;
    }
    if (onKeyDown && !runGuarded([&] { onKeyDown(key); })) {
        return;
    }
    if (set == nullptr || !set->active()) {
        QTableView::keyPressEvent(event);
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (key == Qt::Key_Escape) {
        cancelOrDropRow();
    } else if (key == Qt::Key_Insert && !ctrl) {
        runGuarded([&] { set->insert(); });
    } else if (key == Qt::Key_Delete && ctrl) {
        if (set->recordCount() > 0 && Dialogs::confirmDelete()) {
            runGuarded([&] { set->deleteRow(); });
        }
    } else if (key == Qt::Key_Down && !ctrl && set->eof() &&
               !(set->state() == db::DataSetState::Insert && !set->modified())) {
        runGuarded([&] { set->append(); });
    } else if (key == Qt::Key_F2) {
        if (currentIndex().isValid()) {
            edit(currentIndex());
        }
    } else {
        QTableView::keyPressEvent(event);
    }
}

void DBGrid::commitEditorText() {
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
    }
}

void DBGrid::closeCurrentEditor(bool keepText) {
    QWidget* editor = indexWidget(currentIndex());
    if (editor == nullptr) {
        return;
    }
    if (keepText) {
        commitEditorText();
    }
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool DBGrid::ownsWidget(const QWidget* widget) const {
    return widget != nullptr && (widget == this || isAncestorOf(widget));
}

void DBGrid::onFocusChanged(QWidget* old, QWidget* now) {
    db::ResultSet* set = resultSet();
    if (ownsWidget(old) && !ownsWidget(now) && set != nullptr && set->active() &&
        set->state() == db::DataSetState::Insert && !set->modified() && !isEditing()) {
        cancelOrDropRow();
    }
}

void DBGrid::highlightSortColumn(int column, int colouredColumns) {
    for (int each = 0; each < colouredColumns; ++each) {
        setColumnColor(each, windowColor());
    }
    setColumnColor(column, infoBackground());
}

}  // namespace zlt::platform
