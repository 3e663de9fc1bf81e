#pragma once

#include <ostream>

#include "console/CommandLine.h"

namespace korvalin {

// Runs what the command line asks for unless it is the windows: help, version, the
// adapter list or the console view on the real interface table. Returns the exit status.
int RunCommandLine(const CommandLine& commandLine, std::ostream& out, std::ostream& err);

}  // namespace korvalin
