#pragma once

namespace zlt::app {

// The ways the program can end with nobody at the keyboard: SIGTERM, SIGHUP or SIGINT, the
// session manager's request to save before a logout, and a lost display. Each writes the
// rows still being typed in both grids; a row the database refuses is kept in a file
// beside the database, since nobody could answer the message, and offered at the next
// start. A signal then ends the program the ordinary way (endRun), with exit code 0.
// Call once the windows exist; it first offers rows kept by an earlier run.
void prepareForUnattendedEnd();

}  // namespace zlt::app
