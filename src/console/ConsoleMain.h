#pragma once

#include <ostream>

#include "console/CommandLine.h"
#include "platform/EventLoop.h"
#include "platform/InterfaceTable.h"

namespace korvalin {

// Runs what the command line asks for unless it is the windows: help, version, the
// adapter list or the console view. The loop and the interface table are the back ends
// that main chose; the views run on them. Returns the exit status.
int RunCommandLine(const CommandLine& commandLine, EventLoop& loop, InterfaceTable& interfaceTable,
                   std::ostream& out, std::ostream& err);

}  // namespace korvalin
