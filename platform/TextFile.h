#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zlt::platform {

// Writes the lines as Windows-1250 text, each ended by CR LF, replacing the file in one
// step: the text goes to a temporary file beside it, is flushed to disk and then renamed
// over the old file, so a failure at any point leaves the old file as it was.
// Throws EncodingError before anything is written when a line has a character the code
// page lacks, and std::runtime_error "Cannot create file <name>" when writing fails.
void writeWin1250Lines(const std::filesystem::path& file, const std::vector<std::string>& lines);

}  // namespace zlt::platform
