#include "competition/LiveChanges.h"

#include <exception>
#include <utility>

namespace zlt::competition {

LiveChanges::LiveChanges(std::function<void()> reread, QObject* parent)
    : QObject(parent), reread_(std::move(reread)) {}

void LiveChanges::databaseChanged() {
    if (!rereadQueued_.exchange(true)) {
        QMetaObject::invokeMethod(this, &LiveChanges::rereadNow, Qt::QueuedConnection);
    }
}

void LiveChanges::connectionLost() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            lost_ = true;
            setConnectionText(
                QStringLiteral("Spojení s databází je přerušené: změny ostatních stolů se "
                               "nenačítají."));
        },
        Qt::QueuedConnection);
}

void LiveChanges::connectionBack() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            lost_ = false;
            setConnectionText({});
        },
        Qt::QueuedConnection);
    databaseChanged();
}

// Commits told while the rows are being read may not be in them: they queue another read.
void LiveChanges::rereadNow() {
    rereadQueued_ = false;
    try {
        reread_();
    } catch (const std::exception& error) {
        // Run from the event loop, nobody above could take the error; the rows stay as they
        // were read last, and the status says why.
        setConnectionText(QStringLiteral("Změny ostatních stolů se nepodařilo načíst: ") +
                          QString::fromUtf8(error.what()));
        return;
    }
    if (!lost_) {
        setConnectionText({});
    }
    emit changed();
}

void LiveChanges::setConnectionText(const QString& text) {
    if (text != connectionText_) {
        connectionText_ = text;
        emit connectionTextChanged(text);
    }
}

}  // namespace zlt::competition
