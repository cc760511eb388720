// Feeds arbitrary bytes to the settings-file reader: any file the organiser's folder may
// hold must load into the boxes without crashing, hanging or growing without bound.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "competition/SettingsFile.h"
#include "text/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = zlt::text::splitWin1250Lines(bytes);
    const auto settings = zlt::competition::settingsFromLines(lines);
    std::size_t total = 0;
    for (const auto& text : settings.texts) {
        total += text.size();
    }
    // Each byte becomes at most three bytes of UTF-8.
    if (total > 3 * size) {
        __builtin_trap();
    }
    return 0;
}
