#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <filesystem>

namespace zlt::platform {

// Reads and decodes a JPEG picture file. Throws std::runtime_error "Cannot open file
// <name>" (the name as given) when the file cannot be read, and the decoder's error when
// it is not a whole JPEG picture.
QImage loadJpegFile(const std::filesystem::path& file);

// Decodes JPEG bytes with libjpeg. Any error or warning of the decoder (a truncated file
// only warns) throws std::runtime_error "Cannot read the picture <name>: <reason>", so a
// half-decoded picture is never shown.
QImage decodeJpeg(const QByteArray& bytes, const QString& name);

}  // namespace zlt::platform
