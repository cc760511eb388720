#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace zlt::test {

// A file put where a copy of the database should be, broken as copies are in the field: by
// a disk, a pulled USB stick, a wrong file, or a copy's own settings.
struct BrokenCopyKind {
    const char* name;
    // Writes the broken file from a sound copy of an event's database.
    void (*make)(const std::filesystem::path& soundCopy, const std::filesystem::path& broken);
    const char* reason;  // what the refusal tells of it
};

const std::vector<BrokenCopyKind>& brokenCopyKinds();

// For a test's parameter: the kind's name.
inline void PrintTo(const BrokenCopyKind& kind, std::ostream* out) {
    *out << kind.name;
}

// The name a copy taken at midnight of 10 December 2026 has.
constexpr const char* kBrokenCopyName = "ZLT04-20261210-000000.GDB";

// A SHA-256 of the database file's bytes, in hex, once they have held still for a moment:
// the engine's garbage collector tidies the back versions of committed rows in a thread of
// its own, some time after the commit.
std::string settledChecksum(const std::filesystem::path& database);

}  // namespace zlt::test
