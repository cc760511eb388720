#include "platform/ResultSetModel.h"

#include "platform/Guard.h"

namespace zlt::platform {

ResultSetModel::ResultSetModel(db::DataSource& source, QObject* parent)
    : QAbstractTableModel(parent), source_(source) {
    listener_ = source_.addListener([this](db::DataEvent event) { onEvent(event); });
    if (resultSet() != nullptr) {
        cellColors_.resize(resultSet()->fields().size());
    }
    shownRows_ = rowCount();
}

ResultSetModel::~ResultSetModel() {
    source_.removeListener(listener_);
}

void ResultSetModel::onEvent(db::DataEvent event) {
    switch (event) {
        case db::DataEvent::DataSetChanged:
            rereadRows();
            break;
        case db::DataEvent::RecordChanged:
            if (resultSet()->recNo() >= 0) {
                emit dataChanged(index(resultSet()->recNo(), 0),
                                 index(resultSet()->recNo(), columnCount() - 1));
            }
            break;
        case db::DataEvent::StateChanged:
        case db::DataEvent::Scrolled:
            if (rowCount() > 0) {
                emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
            }
            break;
        case db::DataEvent::UpdateRecord:
            break;
    }
    emit resultSetChanged(event);
}

// Rows re-read in the same number are redrawn where they stand, so that the view keeps its
// current cell, its open editor and the keyboard focus; only a change in the number of rows
// rebuilds the view.
void ResultSetModel::rereadRows() {
    const int rows = rowCount();
    if (rows != shownRows_) {
        beginResetModel();
        shownRows_ = rows;
        endResetModel();
        return;
    }
    if (rows > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, 0, rows - 1);
    }
}

int ResultSetModel::rowCount(const QModelIndex& parent) const {
    const db::ResultSet* set = resultSet();
    return parent.isValid() || set == nullptr ? 0 : set->recordCount();
}

int ResultSetModel::columnCount(const QModelIndex& parent) const {
    const db::ResultSet* set = resultSet();
    return parent.isValid() || set == nullptr ? 0 : set->fields().size();
}

QVariant ResultSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return QString::fromStdString(
                db::displayText(resultSet()->value(index.row(), index.column())));
        case Qt::BackgroundRole:
            return cellColor(index.column());
        default:
            return {};
    }
}

QVariant ResultSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::BackgroundRole && orientation == Qt::Horizontal) {
        const QColor color = titleColor(section);
        return color.isValid() ? QVariant(color) : QVariant();
    }
    if (role != Qt::DisplayRole || resultSet() == nullptr) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return QString::fromStdString(resultSet()->fields()[section].displayLabel);
    }
    // The row indicator: the current row, and whether it is being edited or is new.
    if (section != resultSet()->recNo()) {
        return QString();
    }
    switch (resultSet()->state()) {
        case db::DataSetState::Edit:
            return QStringLiteral("I");
        case db::DataSetState::Insert:
            return QStringLiteral("*");
        default:
            return QStringLiteral("\u25B6");
    }
}

Qt::ItemFlags ResultSetModel::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool ResultSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) {
        return false;
    }
    // Called from inside the view's own event handling, which must not see exceptions.
    return runGuarded([&] {
        db::ResultSet& set = *resultSet();
        set.moveTo(index.row());
        set.edit();
        set.setField(index.column(), value.toString().toStdString());
    });
}

namespace {

void setColor(std::vector<QColor>& colors, int column, const QColor& color) {
    if (column >= static_cast<int>(colors.size())) {
        colors.resize(column + 1);
    }
    colors[column] = color;
}

QColor colorOf(const std::vector<QColor>& colors, int column) {
    return column < static_cast<int>(colors.size()) ? colors[column] : QColor();
}

}  // namespace

void ResultSetModel::setCellColor(int column, const QColor& color) {
    setColor(cellColors_, column, color);
    if (rowCount() > 0) {
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::BackgroundRole});
    }
}

QColor ResultSetModel::cellColor(int column) const {
    return colorOf(cellColors_, column);
}

void ResultSetModel::setTitleColor(int column, const QColor& color) {
    setColor(titleColors_, column, color);
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QColor ResultSetModel::titleColor(int column) const {
    return colorOf(titleColors_, column);
}

}  // namespace zlt::platform
