#pragma once

#include <QImage>
#include <QLabel>
#include <QRect>
#include <QString>

namespace zlt::platform {

// A picture control: the picture drawn at its natural size from the top-left corner and
// clipped to the control's box, never scaled.
QLabel* makePicture(QWidget* parent, const QRect& geometry);
void showPicture(QLabel& control, const QImage& picture);

// A JPEG picture compiled into the program, such as a window's design picture.
QImage builtInPicture(const QString& resource);

}  // namespace zlt::platform
