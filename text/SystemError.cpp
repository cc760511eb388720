#include "text/SystemError.h"

#include <cerrno>
#include <cstring>

namespace zlt::text {

std::string systemErrorText(int error, FileAccess access) {
    const bool reading = access == FileAccess::Read;
    switch (error) {
        case EACCES:
        case EPERM:
            return reading ? "nemáte právo čtení" : "nemáte právo zápisu";
        case ENOENT:
            return reading ? "soubor neexistuje" : "složka neexistuje";
        case ENOTDIR:
            return "v cestě je soubor místo složky";
        case EISDIR:
            return "na jeho místě je složka";
        case ENOSPC:
        case EDQUOT:
            return "disk je plný";
        case EROFS:
            return "disk je jen ke čtení";
        case EIO:
            return reading ? "disk hlásí chybu čtení" : "disk hlásí chybu zápisu";
        case ENODEV:
        case ENXIO:
            // A USB stick pulled out while its folder was still chosen.
            return "disk není připojený";
        case ENAMETOOLONG:
            return "název je příliš dlouhý";
        case EBUSY:
        case ETXTBSY:
            return "soubor používá jiný program";
        case EMFILE:
        case ENFILE:
            return "je otevřeno příliš mnoho souborů";
        default:
            return "chyba systému (" + std::string(std::strerror(error)) + ")";
    }
}

std::string fileSystemFailureText(const std::filesystem::filesystem_error& error) {
    std::string text = "Se souborem nebo složkou ";
    text += error.path1().string();
    text += " nelze pracovat: ";
    text += systemErrorText(error.code().value());
    return text + ".";
}

}  // namespace zlt::text
