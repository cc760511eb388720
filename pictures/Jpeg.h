#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <filesystem>

namespace zlt::pictures {

// Reads and decodes a JPEG picture file. Throws std::runtime_error "Cannot open file
// <name>" (the name as given) when the file cannot be read, and the decoder's error when
// it is not a whole JPEG picture.
QImage loadJpegFile(const std::filesystem::path& file, QSize kept = {});

// Decodes JPEG bytes with libjpeg. Any error or warning of the decoder (a truncated file
// only warns) throws std::runtime_error "Cannot read the picture <name>: <reason>", so a
// half-decoded picture is never shown.
// A picture drawn at natural size and clipped to a box shows only its top-left corner:
// with a width or height in `kept`, only that much of the corner is decoded into the
// image, one row at a time, so a huge picture costs no more than the part shown. The
// rest is still read through, and damage there refuses the picture all the same.
QImage decodeJpeg(const QByteArray& bytes, const QString& name, QSize kept = {});

}  // namespace zlt::pictures
