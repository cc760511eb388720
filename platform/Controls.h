#pragma once

#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTableWidget>

#include "platform/DBNavigator.h"

namespace zlt::platform {

// A command button of a window, with its hint when it has one.
QPushButton* makeButton(QWidget* parent, const QString& caption, const QRect& box,
                        const QString& hint = {});

// A line of a window that warns in dark red, wrapped within its box; hidden until told.
QLabel* makeWarningLine(QWidget* parent, const QRect& box);

// A read-only list of rows chosen whole, with these column titles; the last column takes
// what is left of the width.
QTableWidget* makeListGrid(QWidget* parent, const QRect& box, const QStringList& titles);
// Fills one row of such a list; the row must exist.
void setListRow(QTableWidget& grid, int row, const QStringList& texts);

// The navigator of both results grids: moving, inserting, deleting and cancelling, with
// hints that speak of teams.
DBNavigator* makeTeamNavigator(db::DataSource& source, QWidget* parent, const QRect& box);

}  // namespace zlt::platform
