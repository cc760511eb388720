#include "competition/WriteFailure.h"

#include <cerrno>
#include <cstring>

namespace zlt::competition {

std::string writeFailureReason(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return "disk je plný";
        case EACCES:
        case EPERM:
            return "chybí oprávnění k zápisu";
        case EROFS:
            return "disk je jen pro čtení";
        case EISDIR:
            return "na jeho místě je složka";
        case ENOENT:
            return "jeho složka neexistuje";
        default:
            return std::string("chyba systému (") + std::strerror(error) + ")";
    }
}

}  // namespace zlt::competition
