#pragma once

#include <filesystem>
#include <string>

namespace zlt::text {

// What the operator was doing with the file or folder when the system refused.
enum class FileAccess { Read, Write };

// Why the system refused a file or a folder, in the operator's words, from the system's
// error number: "nemáte právo zápisu", "složka neexistuje", "disk je plný"… It reads on
// after "… nelze zapsat: ". An error without words of its own is "chyba systému (<the
// system's text>)", so that the operator still has something to look up.
std::string systemErrorText(int error, FileAccess access = FileAccess::Write);

// A file system refusal that no caller put into words of its own, as a whole sentence that
// names the file or folder.
std::string fileSystemFailureText(const std::filesystem::filesystem_error& error);

}  // namespace zlt::text
