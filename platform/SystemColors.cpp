#include "platform/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

namespace zlt::platform {

QColor windowColor() {
    return QGuiApplication::palette().color(QPalette::Base);
}

QColor infoBackground() {
    return QGuiApplication::palette().color(QPalette::ToolTipBase);
}

QColor buttonShadow() {
    return QGuiApplication::palette().color(QPalette::Dark);
}

QColor activeBorder() {
    return QColor(180, 180, 180);
}

QColor silver() {
    return QColor(0xC0, 0xC0, 0xC0);
}

}  // namespace zlt::platform
