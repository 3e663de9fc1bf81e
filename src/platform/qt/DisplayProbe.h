#pragma once

#include <string>

namespace korvalin {

// Why the windows cannot start although a display is named ("DISPLAY=:99"), or empty when
// one of the named displays answers (an X server through xcb, a Wayland compositor's
// socket) or a platform of the user's choice needs none. Qt aborts the process when its
// platform plugin finds no server, so this is asked before the toolkit starts.
std::string UnreachableDisplay();

}  // namespace korvalin
