#include "platform/ClassicDialog.h"

#include <QKeyEvent>

namespace zlt::platform {

QPushButton* ClassicDialog::addButton(const QString& caption, const QRect& geometry) {
    auto* button = new QPushButton(caption, this);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

void ClassicDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace zlt::platform
