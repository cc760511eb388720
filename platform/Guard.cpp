#include "platform/Guard.h"

#include <exception>

#include "platform/Dialogs.h"

namespace zlt::platform {

bool runGuarded(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        Dialogs::showError(QString::fromUtf8(error.what()));
    } catch (...) {
        Dialogs::showError(QStringLiteral("Unknown error"));
    }
    return false;
}

}  // namespace zlt::platform
