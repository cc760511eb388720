#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <vector>

#include "database/DataSource.h"
#include "database/ResultSet.h"

namespace zlt::platform {

// Shows a result set, through its data source, as a table: one row per record, one column
// per field of its list. Edits go to the result set's current row.
class ResultSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultSetModel(db::DataSource& source, QObject* parent = nullptr);
    ~ResultSetModel() override;

    db::ResultSet* resultSet() const { return source_.dataSet(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Makes the row current, puts it into edit state and sets the field from the text.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void setCellColor(int column, const QColor& color);
    QColor cellColor(int column) const;
    void setTitleColor(int column, const QColor& color);
    QColor titleColor(int column) const;

signals:
    // The result set changed in a way that may move the current row.
    void resultSetChanged(db::DataEvent event);

private:
    void onEvent(db::DataEvent event);
    void rereadRows();

    db::DataSource& source_;
    int listener_;
    std::vector<QColor> cellColors_;
    std::vector<QColor> titleColors_;
    int shownRows_ = 0;  // the number of rows the views know of
};

}  // namespace zlt::platform
