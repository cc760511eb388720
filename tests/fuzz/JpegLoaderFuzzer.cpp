// Feeds arbitrary bytes to the JPEG loader: a damaged picture file must end in a clear
// error, never in a crash, a hang or an unbounded allocation.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "pictures/Jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const QImage picture = zlt::pictures::decodeJpeg(bytes, QStringLiteral("fuzz.jpg"));
        if (picture.isNull()) {
            __builtin_trap();  // success must mean a whole picture
        }
    } catch (const std::runtime_error&) {
    }
    return 0;
}
