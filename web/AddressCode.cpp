#include "web/AddressCode.h"

#include <qrencode.h>

#include <memory>

namespace zlt::web {
namespace {

// The four modules of white around the code that readers need to find it.
constexpr int kQuietZone = 4;

struct FreeCode {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

}  // namespace

QByteArray addressCode(const QString& address) {
    const std::unique_ptr<QRcode, FreeCode> code(
        QRcode_encodeString(address.toUtf8().constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1));
    if (!code) {
        return {};
    }
    const int width = code->width;
    const QByteArray side = QByteArray::number(width + 2 * kQuietZone);
    QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + side + " " +
                     side + "\" shape-rendering=\"crispEdges\">\n<rect width=\"" + side +
                     "\" height=\"" + side + "\" fill=\"#fff\"/>\n<path fill=\"#000\" d=\"";
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            // The lowest bit of a module tells whether it is dark.
            if (code->data[y * width + x] & 1) {
                svg += "M" + QByteArray::number(x + kQuietZone) + " " +
                       QByteArray::number(y + kQuietZone) + "h1v1h-1z";
            }
        }
    }
    return svg + "\"/>\n</svg>\n";
}

}  // namespace zlt::web
