#pragma once

namespace zlt::web {

// Raises this process's limit of open files to the most the system allows it. A desktop
// session's default of 1,024 is soon reached by a server with many clients, and a program
// that reaches it fails wherever it next opens a file, its database included.
void raiseOpenFileLimit();

// How many files this process may have open now.
long openFileLimit();

}  // namespace zlt::web
