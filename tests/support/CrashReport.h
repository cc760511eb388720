#pragma once

#include <time.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <string>

// What the crash session reports and the crash loop compares: the same clock and the same
// fingerprint of a file's bytes on both sides.
namespace zlt::test {

inline long long monotonicMicros() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000LL + now.tv_nsec / 1000;
}

inline std::string fingerprint(const std::string& bytes) {
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha1)
        .toHex()
        .toStdString();
}

}  // namespace zlt::test
