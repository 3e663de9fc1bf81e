#pragma once

#include <QIcon>

namespace korvalin {

// The program's own icon (a bundled SVG, with PNG renderings for the small sizes); the
// same for the tray, the windows and the about box.
QIcon ProgramIcon();

}  // namespace korvalin
