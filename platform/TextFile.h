#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zlt::platform {

// New Windows-1250 text for a file, each line ended by CR LF, written completely and
// flushed to disk in a temporary file beside it; the old file is replaced only by
// replaceOld(), in one rename, so a failure at any point leaves the old file as it was.
// A pending file that is never put in place is removed again.
// Throws EncodingError before anything is written when a line has a character the code
// page lacks, std::invalid_argument when a line holds CR or LF (it would split into two
// lines on reading), and std::runtime_error "Cannot create file <name>" when writing fails,
// also when a folder of that name stands where the file would go.
class PendingTextFile {
public:
    PendingTextFile(const std::filesystem::path& file, const std::vector<std::string>& lines);
    PendingTextFile(const PendingTextFile&) = delete;
    PendingTextFile& operator=(const PendingTextFile&) = delete;
    ~PendingTextFile();

    void replaceOld();

private:
    std::filesystem::path file_;
    std::string temporary_;
};

// The same in one step.
void writeWin1250Lines(const std::filesystem::path& file, const std::vector<std::string>& lines);

// Windows-1250 text as UTF-8 lines. CR LF, a lone LF and a lone CR all end a line; a last
// line without an ending still counts, an empty file has no lines.
std::vector<std::string> splitWin1250Lines(std::string_view bytes);

// Reads a whole Windows-1250 text file as lines. Throws std::runtime_error "Cannot open
// file <name>" (the name as given) when it cannot be read.
std::vector<std::string> readWin1250Lines(const std::filesystem::path& file);

}  // namespace zlt::platform
