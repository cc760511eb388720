#include "platform/WindowGeometry.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zlt::platform {

void useDesignFont(QWidget& widget, int points) {
    // The windows were laid out for this face; Liberation Sans has Arial's metrics and is
    // the closest installed match.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(points);
    widget.setFont(font);
}

void placeWindow(QWidget& window, int outerWidth, int outerHeight) {
    useDesignFont(window);
    window.resize(outerWidth - kFrameWidth, outerHeight - kFrameHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->availableGeometry();
        window.move(desktop.center().x() - outerWidth / 2, desktop.center().y() - outerHeight / 2);
    }
}

void setBackground(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, color);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

}  // namespace zlt::platform
