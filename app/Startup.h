#pragma once

namespace zlt::app {

// Creates the nine windows in their binding order, each hidden, running each creation
// handler; an error in one is reported and creation goes on with the next window.
void createWindows();

// Destroys the windows in the reverse order; the references become null.
void destroyWindows();

// The main sequence: the application object, the windows, then the message loop, which
// shows the main window. Returns the loop's exit code.
int ZLT(int argc, char** argv);

}  // namespace zlt::app
