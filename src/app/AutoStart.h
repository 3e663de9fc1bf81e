#pragma once

#include <string>

#include "platform/Dialogs.h"
#include "platform/OsVersion.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace korvalin {

// The per-user key whose values name programs started with the desktop session; the
// registry back end maps it to the XDG autostart folder.
inline constexpr const char* RunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* AutoStartValueName = "Korvalin";

// The text the autostart entry holds for this program: its real path. This platform has no
// short names and a case-sensitive file system, so the path is written as it is; only the
// comparison in IsAutoStart ignores case.
std::string OwnAutoStartPath(const Shell& shell);

// Whether the autostart entry exists and names this very program (compared after
// upper-casing both sides with UpperCaseGerman). Never writes anything.
bool IsAutoStart(const Registry& registry, const Shell& shell);

// Enable: writes the entry with this program's path, reporting a failed write in a message
// box. Disable: deletes the entry only when it names this program, reporting a failed
// deletion; an entry naming another copy of the program is left alone.
void SetAutoStart(bool enable, Registry& registry, const Shell& shell, Dialogs& dialogs);

// The drop-shadow rule: a system of the protected-process family with major version 5 or
// more and minor version 1 or more.
bool ShadowSupportedBy(const OsVersionInfo& info);

// Computes the process-wide ShadowSupported flag once, at start before any window exists;
// a failing query leaves it false.
void CheckOperatingSystem(const OsVersion& osVersion);

// The flag computed by CheckOperatingSystem (false before it ran).
bool ShadowSupported();

}  // namespace korvalin
