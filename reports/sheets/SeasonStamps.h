#pragma once

#include <QImage>
#include <QSize>
#include <filesystem>

namespace zlt::reports {

// The picture pixels a stamp box of the five sheets can show: pictures print at natural
// size from the box's top-left corner, clipped to the box, so nothing right of or below
// this ever prints.
QSize stampShownPixels();
// The picture pixels a box of that size in millimetres shows of a picture at natural size.
QSize picturePixelsShown(double widthMm, double heightMm);

// Reads the season's stamp picture once, keeping only the corner the stamp boxes show.
// Throws the picture loader's error and changes nothing when it cannot be loaded.
QImage readSeasonStamp(const std::filesystem::path& file);

}  // namespace zlt::reports
