#include "core/DataFolder.h"

#include <sys/stat.h>

#include "base/Folders.h"
#include "core/TextTools.h"

namespace korvalin {

namespace {

std::string WithFinalSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Other users could plant links or swap files in such a folder; the sticky bit keeps them
// off entries they do not own. The file code refuses to write there, this tells the user.
bool OthersMayWrite(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && OtherUsersMayWrite(info);
}

// mkdir reports a file of the folder's name as existing, so the result is checked.
bool CreateFolders(const std::string& path) {
    return CreateParentFolders(path) == 0 && IsFolder(path);
}

}  // namespace

DataFolder::DataFolder(const Shell& shell, Dialogs& dialogs) : shell_(shell), dialogs_(dialogs) {}

std::string DataFolder::GetAppDataFolder() const {
    const std::string folder = shell_.AppDataFolder();
    if (!folder.empty()) {
        return WithFinalSlash(folder);
    }
    const std::string program = shell_.ProgramPath();
    const std::size_t slash = program.find_last_of('/');
    return slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
}

std::string DataFolder::GetDataFolder() const {
    const std::string appData = GetAppDataFolder();
    const std::string path = (appData.empty() ? appData : WithFinalSlash(appData)) + "Korvalin/";
    if (!CreateFolders(path)) {
        MsgBox(dialogs_, "Kann Ordner " + path + " nicht anlegen.", "", mkError, {btnOK});
    } else if (OthersMayWrite(path)) {
        MsgBox(dialogs_,
               "Ordner " + path +
                   " ist für andere Benutzer beschreibbar; Einstellungen werden nicht gespeichert.",
               "", mkError, {btnOK});
    }
    return path;
}

std::string DataFolder::SettingsFileName(const std::string& programPath) {
    const std::size_t slash = programPath.find_last_of('/');
    std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name + ".ini";
}

std::string DataFolder::SettingsFilePath() const {
    return GetDataFolder() + SettingsFileName(shell_.ProgramPath());
}

}  // namespace korvalin
