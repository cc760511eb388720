#include "platform/Controls.h"

#include <QHeaderView>

namespace zlt::platform {

QPushButton* makeButton(QWidget* parent, const QString& caption, const QRect& box,
                        const QString& hint) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(box);
    if (!hint.isEmpty()) {
        button->setToolTip(hint);
    }
    return button;
}

QLabel* makeWarningLine(QWidget* parent, const QRect& box) {
    auto* line = new QLabel(parent);
    line->setGeometry(box);
    line->setWordWrap(true);
    QPalette warning = line->palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    line->setPalette(warning);
    line->hide();
    return line;
}

QTableWidget* makeListGrid(QWidget* parent, const QRect& box, const QStringList& titles) {
    auto* grid = new QTableWidget(0, static_cast<int>(titles.size()), parent);
    grid->setGeometry(box);
    grid->setHorizontalHeaderLabels(titles);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setWordWrap(false);
    return grid;
}

void setListRow(QTableWidget& grid, int row, const QStringList& texts) {
    for (int column = 0; column < texts.size(); ++column) {
        grid.setItem(row, column, new QTableWidgetItem(texts[column]));
    }
}

DBNavigator* makeTeamNavigator(db::DataSource& source, QWidget* parent, const QRect& box) {
    auto* navigator = new DBNavigator(source, parent);
    navigator->setGeometry(box);
    using Nav = DBNavigator;
    navigator->setVisibleButtons(
        {Nav::First, Nav::Prior, Nav::Next, Nav::Last, Nav::Insert, Nav::Delete, Nav::Cancel});
    // The three hidden buttons keep the library's hints; they are never seen.
    navigator->setHints({QStringLiteral("První družstvo"), QStringLiteral("Předchozí družstvo"),
                         QStringLiteral("Další družstvo"), QStringLiteral("Poslední družstvo"),
                         QStringLiteral("Přidat družstvo"), QStringLiteral("Smazat družstvo"),
                         QStringLiteral("Edit record"), QStringLiteral("Post edit"),
                         QStringLiteral("Zrušit změnu"), QStringLiteral("Refresh data")});
    return navigator;
}

}  // namespace zlt::platform
