#include "competition/LostDatabase.h"

namespace zlt::competition {

void LostDatabase::notice() {
    const bool first = !lost_;
    lost_ = true;
    copy_.clear();
    if (first) {
        emit changed();
    }
    if (telling_) {
        return;
    }
    telling_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            telling_ = false;
            emit noticed();
        },
        Qt::QueuedConnection);
}

void LostDatabase::moved(const std::filesystem::path& copy) {
    copy_ = copy;
    emit changed();
}

QString LostDatabase::line() const {
    if (!lost_) {
        return {};
    }
    return copy_.empty() ? QStringLiteral("Databáze zmizela – zápisy se odmítají")
                         : QStringLiteral("Databáze zmizela – nyní %1")
                               .arg(QString::fromStdString(copy_.string()));
}

QString LostDatabase::detail() const {
    if (!lost_) {
        return {};
    }
    return copy_.empty() ? QStringLiteral(
                               "Soubor databáze byl smazán nebo přesunut a kopie nebyla "
                               "uložena: program každý zápis odmítne.")
                         : QStringLiteral(
                               "Soubor databáze byl smazán nebo přesunut; program pracuje "
                               "s jeho kopií %1. Při příštím spuštění ji zvolte nebo vraťte "
                               "do složky události.")
                               .arg(QString::fromStdString(copy_.string()));
}

}  // namespace zlt::competition
