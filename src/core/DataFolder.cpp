#include "core/DataFolder.h"

#include <sys/stat.h>

#include <cerrno>

#include "core/MyTools.h"

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

// Creates every missing folder along the path; new folders are private to the user, as
// the base-directory rules ask for configuration folders.
bool CreateFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return IsFolder(path);
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
