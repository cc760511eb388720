#include "platform/Guard.h"

#include <exception>
#include <filesystem>

#include "platform/Dialogs.h"
#include "text/SystemError.h"

namespace zlt::platform {

bool runGuarded(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const std::filesystem::filesystem_error& error) {
        Dialogs::showError(QString::fromStdString(text::fileSystemFailureText(error)));
    } catch (const std::exception& error) {
        Dialogs::showError(QString::fromUtf8(error.what()));
    } catch (...) {
        Dialogs::showError(QStringLiteral("Unknown error"));
    }
    return false;
}

}  // namespace zlt::platform
