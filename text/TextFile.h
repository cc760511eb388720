#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zlt::text {

// Thrown when a file cannot be written: what() is "Cannot create file <name>", error() the
// system's error number of the failure, for a message in the user's words.
class FileWriteError : public std::runtime_error {
public:
    FileWriteError(const std::filesystem::path& file, int error);
    int error() const { return error_; }

private:
    int error_;
};

// When the bytes of a pending file reach the disk: at once, or with the others of a batch
// in one flushFileSystem() before they replace their old files.
enum class Flush { Now, WithBatch };

// New bytes for a file, written completely and flushed to disk in a temporary file beside
// it; the old file is replaced only by replaceOld(), in one rename, so a failure at any
// point leaves the old file as it was. A pending file that is never put in place is
// removed again. Throws FileWriteError when writing fails, also when a folder of that name
// stands where the file would go.
class PendingFile {
public:
    PendingFile(const std::filesystem::path& file, std::string_view bytes,
                Flush flush = Flush::Now);
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile();

    void replaceOld();

private:
    std::filesystem::path file_;
    std::string temporary_;
};

// The bytes in one step.
void replaceFile(const std::filesystem::path& file, std::string_view bytes);

// The lines of a small UTF-8 file the program keeps a choice in, without their line ends
// and trailing blanks; none when there is no such file.
std::vector<std::string> keptLines(const std::filesystem::path& file);

// Flushes to disk all that was written on the file system of the folder: one wait for a
// whole batch of pending files. Throws FileWriteError naming the folder.
void flushFileSystem(const std::filesystem::path& folder);

// New Windows-1250 text for a file, each line ended by CR LF, pending as PendingFile is.
// Throws EncodingError before anything is written when a line has a character the code
// page lacks, std::invalid_argument when a line holds CR or LF (it would split into two
// lines on reading), and FileWriteError when writing fails.
class PendingTextFile {
public:
    PendingTextFile(const std::filesystem::path& file, const std::vector<std::string>& lines);

    void replaceOld() { file_.replaceOld(); }

private:
    PendingFile file_;
};

// The same in one step.
void writeWin1250Lines(const std::filesystem::path& file, const std::vector<std::string>& lines);

// Windows-1250 text as UTF-8 lines. CR LF, a lone LF and a lone CR all end a line; a last
// line without an ending still counts, an empty file has no lines.
std::vector<std::string> splitWin1250Lines(std::string_view bytes);

// Reads a whole Windows-1250 text file as lines. Throws std::runtime_error "Cannot open
// file <name>" (the name as given) when it cannot be read.
std::vector<std::string> readWin1250Lines(const std::filesystem::path& file);

}  // namespace zlt::text
