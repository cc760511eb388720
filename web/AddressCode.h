#pragma once

#include <QByteArray>
#include <QString>

namespace zlt::web {

// The address as a QR code, an SVG picture a phone's camera reads from a printed sheet or
// a screen: black modules on white with the quiet zone around them. Empty when the text
// is too long for a QR code.
QByteArray addressCode(const QString& address);

}  // namespace zlt::web
