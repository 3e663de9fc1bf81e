#include "platform/linux/LinuxShell.h"

#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

extern char** environ;

namespace korvalin {

namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return {};
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

}  // namespace

std::string LinuxShell::AppDataFolder() const {
    // The base-directory rules ignore relative values of the variable.
    if (const char* config = std::getenv("XDG_CONFIG_HOME");
        config != nullptr && config[0] == '/') {
        return WithoutTrailingSlash(config);
    }
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : WithoutTrailingSlash(home) + "/.config";
}

std::string LinuxShell::ProgramPath() const {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

bool LinuxShell::Open(const std::string& fileOrAddress) {
    std::string program = "xdg-open";
    std::string argument = fileOrAddress;
    char* arguments[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments, environ) != 0) {
        return false;
    }
    // xdg-open may wait for the browser; reap it without holding up the caller.
    std::thread([child] {
        int status = 0;
        waitpid(child, &status, 0);
    }).detach();
    return true;
}

}  // namespace korvalin
