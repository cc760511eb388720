#include "competition/WriteFailure.h"

#include <cerrno>
#include <cstring>

namespace zlt::competition {

QString writeFailureReason(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("disk je plný");
        case EACCES:
        case EPERM:
            return QStringLiteral("chybí oprávnění k zápisu");
        case EROFS:
            return QStringLiteral("disk je jen pro čtení");
        case EISDIR:
            return QStringLiteral("na jeho místě je složka");
        case ENOENT:
            return QStringLiteral("jeho složka neexistuje");
        default:
            return QStringLiteral("chyba systému (%1)")
                .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

}  // namespace zlt::competition
