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

// When a pending file is made durable. Now: its bytes are flushed when it is written, and
// its folder once it has replaced the old file. WithBatch: the bytes wait for flush(), so
// that a batch is written whole before the first disk wait, and the folder waits for the
// caller's one syncFolder() after the whole batch has replaced its old files.
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

    // The bytes on the disk; done already for Flush::Now. Throws FileWriteError.
    void flush();
    // Flushes the bytes if that is still to do, then renames the file over the old one. With
    // Flush::Now the folder is synced too: a FileWriteError after the rename means the new
    // file is in place but may not outlast a power cut.
    void replaceOld();

private:
    std::filesystem::path file_;
    std::string temporary_;
    Flush flush_;
    int fd_ = -1;  // open until flushed, for Flush::WithBatch
};

// The bytes in one step, the folder synced after the rename.
void replaceFile(const std::filesystem::path& file, std::string_view bytes);

// Makes the folder's entries durable: a file created, renamed into it or removed from it
// outlasts a power cut only once its folder is synced. Throws FileWriteError naming the
// folder.
void syncFolder(const std::filesystem::path& folder);

// Makes a whole file's bytes durable. Throws FileWriteError naming the file.
void syncFile(const std::filesystem::path& file);

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
