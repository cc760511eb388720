#pragma once

#include <string>

namespace zlt::competition {
class Competition;
}

namespace zlt::app {

// Makes the competition core, then the nine windows on it in their binding order and the
// tools window and the projector after them, each hidden, running each creation handler; an
// error in one is reported and creation goes on with the next window. The core uses the
// database at the location given, else the one the event folder keeps.
void createWindows(const std::string& databaseLocation = {});

// Destroys the windows in the reverse order, then the core; the references become null.
void destroyWindows();

// How every ending goes once the message loop has returned ("Konec", a closed main window,
// an end signal): the run's last copy, then destroyWindows, while the database client
// library is still whole.
void endRun();

// The core made by createWindows; none before or after.
competition::Competition* currentCompetition();

// Qt's own texts (the buttons of every message box, the file and print dialogs) in Czech,
// from Qt's translations, whatever language the machine is set to. False when they are not
// installed: those texts then stay English and the program works on.
bool useCzechQtTexts();

// The main sequence: the application object, the windows, then the message loop, which
// shows the main window. Returns the loop's exit code.
int ZLT(int argc, char** argv);

}  // namespace zlt::app
