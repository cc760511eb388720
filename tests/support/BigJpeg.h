#pragma once

#include <sys/resource.h>

#include <cstddef>
#include <filesystem>

namespace zlt::test {

// Writes a JPEG picture of any size, encoded one row at a time so that making it costs no
// more memory than a row: coloured stripes that change every few pixels both ways, so
// that a wrongly placed corner shows.
void writeBigJpeg(const std::filesystem::path& file, int width, int height, int quality = 20);

// The process's peak resident memory so far, in bytes; the growth of this figure across a
// step is what the step cost at its worst.
inline std::size_t peakMemory() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

}  // namespace zlt::test
