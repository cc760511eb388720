#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace zlt::competition {

// The choices the program keeps for an event of its own, beside the settings file (whose
// format belongs to the settings and stays as it is). Each lives in a small UTF-8 file of
// its own, so that a folder made by any earlier version reads as it was written, and a
// choice never rewrites another's file.
enum class EventChoice {
    // "host[/port]:path" or "host:alias": the database on a server that several judges'
    // tables share. Without it the folder's own database file is used.
    DatabaseLocation,
    // The path of the folder the copies also go to.
    SecondBackupFolder,
    // How each discipline is judged, one line a discipline: "2=cas,obracene".
    Disciplines,
    // "zapnuto" or "vypnuto", and after a space the port when it is not the default one.
    LiveResults,
    // Line 1: the folder the results are published to; line 2: "automaticky" when the
    // publishing is automatic.
    Publishing,
    // How the diplomas look: "podpisy=ano" or "ne", and "podpis1=…", "podpis2=…", the
    // captions under the lines to sign.
    DiplomaLayout,
};

// The file's name in the event folder.
const char* choiceFile(EventChoice choice);

struct KeptChoice {
    // Without line ends (LF or CR LF), a leading byte order mark or trailing blanks; none
    // when nothing is kept.
    std::vector<std::string> lines;
    // Empty, or a Czech sentence naming the file (and the line) that cannot be read; the
    // lines are then none.
    std::string problem;

    bool damaged() const { return !problem.empty(); }
    // The first line, or empty.
    std::string first() const { return lines.empty() ? std::string() : lines.front(); }
};
KeptChoice readChoice(const std::filesystem::path& folder, EventChoice choice);

// The sentence for a line that the choice's own reader cannot take, counted from 1:
// "Soubor publikace.txt, řádek 2: …".
std::string damagedLine(EventChoice choice, std::size_t line, const std::string& why);

// Keeps the lines as the whole file, written beside the old one and renamed over it, so
// that a failure or a power cut leaves the choice made before; no lines forget the choice.
// A failure throws Refusal: "Volbu publikování nelze uložit do souboru …: disk je plný."
void keepChoice(const std::filesystem::path& folder, EventChoice choice,
                const std::vector<std::string>& lines);

}  // namespace zlt::competition
