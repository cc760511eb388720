#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zlt::platform {

// Writes the lines as Windows-1250 text, each ended by CR LF, replacing the file in one
// step: the text goes to a temporary file beside it, is flushed to disk and then renamed
// over the old file, so a failure at any point leaves the old file as it was.
// Throws EncodingError before anything is written when a line has a character the code
// page lacks, and std::runtime_error "Cannot create file <name>" when writing fails.
// A line holding CR or LF is refused with std::invalid_argument, since it would split into
// two lines on reading.
void writeWin1250Lines(const std::filesystem::path& file, const std::vector<std::string>& lines);

// Windows-1250 text as UTF-8 lines. CR LF, a lone LF and a lone CR all end a line; a last
// line without an ending still counts, an empty file has no lines.
std::vector<std::string> splitWin1250Lines(std::string_view bytes);

// Reads a whole Windows-1250 text file as lines. Throws std::runtime_error "Cannot open
// file <name>" (the name as given) when it cannot be read.
std::vector<std::string> readWin1250Lines(const std::filesystem::path& file);

}  // namespace zlt::platform
