// Build tool: makes the desktop icon from the emblem picture.
//   zlt-make-icon EMBLEM.jpg OUTPUT_DIR SIZE...
// writes OUTPUT_DIR/SIZExSIZE/zlt.png for each size: the emblem squared, its grey
// surround made transparent, smoothly scaled.
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPoint>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool nearColour(QRgb pixel, QRgb colour) {
    constexpr int kTolerance = 40;
    return std::abs(qRed(pixel) - qRed(colour)) + std::abs(qGreen(pixel) - qGreen(colour)) +
               std::abs(qBlue(pixel) - qBlue(colour)) <=
           kTolerance;
}

// Clears the background reachable from the edges: the emblem's own colours stay opaque.
void clearSurround(QImage& image) {
    const QRgb background = image.pixel(0, 0);
    std::vector<QPoint> pending;
    for (int x = 0; x < image.width(); ++x) {
        pending.emplace_back(x, 0);
        pending.emplace_back(x, image.height() - 1);
    }
    for (int y = 0; y < image.height(); ++y) {
        pending.emplace_back(0, y);
        pending.emplace_back(image.width() - 1, y);
    }
    while (!pending.empty()) {
        const QPoint point = pending.back();
        pending.pop_back();
        if (!image.rect().contains(point) || qAlpha(image.pixel(point)) == 0 ||
            !nearColour(image.pixel(point), background)) {
            continue;
        }
        image.setPixel(point, qRgba(0, 0, 0, 0));
        for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            pending.push_back(point + step);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 4) {
        std::fputs("Usage: zlt-make-icon EMBLEM.jpg OUTPUT_DIR SIZE...\n", stderr);
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    QImage emblem = reader.read();
    if (emblem.isNull()) {
        std::fprintf(stderr, "zlt-make-icon: %s: %s\n", argv[1],
                     reader.errorString().toLocal8Bit().constData());
        return 1;
    }
    const int side = std::min(emblem.width(), emblem.height());
    emblem = emblem.copy((emblem.width() - side) / 2, (emblem.height() - side) / 2, side, side)
                 .convertToFormat(QImage::Format_ARGB32);
    clearSurround(emblem);
    for (int index = 3; index < argc; ++index) {
        const int size = std::atoi(argv[index]);
        const QString folder =
            QStringLiteral("%1/%2x%2").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        const QString file = folder + QStringLiteral("/zlt.png");
        const QImage icon =
            emblem.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (size <= 0 || !QDir().mkpath(folder) || !icon.save(file, "PNG")) {
            std::fprintf(stderr, "zlt-make-icon: cannot write %s\n",
                         file.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
