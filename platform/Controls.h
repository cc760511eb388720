#pragma once

#include <QPushButton>
#include <QRect>
#include <QString>

#include "platform/DBNavigator.h"

namespace zlt::platform {

// A command button of a window, with its hint when it has one.
QPushButton* makeButton(QWidget* parent, const QString& caption, const QRect& box,
                        const QString& hint = {});

// The navigator of both results grids: moving, inserting, deleting and cancelling, with
// hints that speak of teams.
DBNavigator* makeTeamNavigator(db::DataSource& source, QWidget* parent, const QRect& box);

}  // namespace zlt::platform
