#pragma once

class QColor;
class QWidget;

namespace zlt::platform {

// Window sizes are given as the outer size (frame and title bar included) of the classic
// desktop; the client area is what remains inside that frame.
inline constexpr int kFrameWidth = 8;
inline constexpr int kFrameHeight = 34;

// Sizes the window for the given outer size, centres it on its screen and gives it the
// windows' common font.
void placeWindow(QWidget& window, int outerWidth, int outerHeight);

// The font all windows are designed in (8 pt MS Sans Serif, drawn with Liberation Sans).
void useDesignFont(QWidget& widget, int points = 8);

// Fills the widget's background with a colour of its own, as the classic windows and
// panels are.
void setBackground(QWidget& widget, const QColor& color);

}  // namespace zlt::platform
