#pragma once

#include <string>

#include "platform/Dialogs.h"
#include "platform/Shell.h"

namespace korvalin {

// Where the program keeps its settings file: the folder "Korvalin" in the user's
// application-data folder ($XDG_CONFIG_HOME, else ~/.config), and in it a file named
// like the program with the extension ".ini" (korvalin gives korvalin.ini).
class DataFolder {
public:
    DataFolder(const Shell& shell, Dialogs& dialogs);

    // The application-data folder with a final slash; the program's folder when the
    // shell knows none.
    std::string GetAppDataFolder() const;

    // The program's data folder with a final slash, created with its parents when
    // missing. When it cannot be created, the user is told ("Kann Ordner ... nicht
    // anlegen.") and the path is returned all the same. A folder that other users may
    // write to (group or world writable without the sticky bit) is reported too: no file
    // is written there (AtomicFile refuses), so the settings would silently not be kept.
    std::string GetDataFolder() const;

    // The full path of the settings file in the data folder (which it creates).
    std::string SettingsFilePath() const;

    // The file-name part of a program path with its extension replaced by ".ini".
    static std::string SettingsFileName(const std::string& programPath);

private:
    const Shell& shell_;
    Dialogs& dialogs_;
};

}  // namespace korvalin
