#include "platform/Picture.h"

#include <QFile>
#include <QPixmap>
#include <stdexcept>

#include "pictures/Jpeg.h"

// The pictures are compiled into a static library, whose resources must be registered
// by hand, outside any namespace.
static void registerPictures() {
    Q_INIT_RESOURCE(resources);
}

namespace zlt::platform {

QLabel* makePicture(QWidget* parent, const QRect& geometry) {
    auto* control = new QLabel(parent);
    control->setGeometry(geometry);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return control;
}

void showPicture(QLabel& control, const QImage& picture) {
    control.setPixmap(QPixmap::fromImage(picture));
}

QImage builtInPicture(const QString& resource) {
    static const bool registered = (registerPictures(), true);
    (void)registered;
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("Cannot open file " + resource.toStdString());
    }
    return pictures::decodeJpeg(file.readAll(), resource);
}

}  // namespace zlt::platform
