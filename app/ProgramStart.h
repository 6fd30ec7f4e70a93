#pragma once

#include "platform/toolkit/Toolkit.h"

namespace singrove {

// The program's entry on the given toolkit: empties the result arrays, registers ReleaseGlobals
// for the end of the program, loads the main window and runs the message loop until the window
// is closed; returns 0.
int ProgramStart(Toolkit& toolkit);

}  // namespace singrove
