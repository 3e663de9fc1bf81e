#pragma once

namespace korvalin {

// Starts the windowed program: one instance per user, the configuration window with the
// real monitors and ports, and the event loop until the program ends. Returns the exit
// code.
int RunGui(int argc, char** argv);

}  // namespace korvalin
