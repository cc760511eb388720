// Feeds arbitrary bytes to the saved-report loader: a damaged or hostile file must end in
// a clear error, never in a crash, a hang or an allocation beyond the file's own size.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "reports/model/SavedReport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const auto pages = zlt::reports::loadReport(bytes);
        // What loads must save back to the very same bytes; a file of an earlier version
        // saves in the current one, which loads back as the same pages.
        const QByteArray saved = zlt::reports::saveReport(pages);
        const auto versionOf = [](const QByteArray& file) { return file.mid(17, 4); };
        const bool earlierVersion = versionOf(bytes) != versionOf(saved);
        if (earlierVersion ? zlt::reports::loadReport(saved) != pages : saved != bytes) {
            __builtin_trap();
        }
    } catch (const zlt::reports::SavedReportError&) {
    }
    return 0;
}
