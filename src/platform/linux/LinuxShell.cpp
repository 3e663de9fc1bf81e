#include "platform/linux/LinuxShell.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
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

// Starts the program found on PATH with its standard streams on /dev/null: the opener
// reports what it tried on the terminal, which means nothing to the user of a window.
std::optional<pid_t> SpawnSilently(const std::string& program, char* const arguments[]) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        return std::nullopt;
    }
    bool ready = true;
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        ready = ready && posix_spawn_file_actions_addopen(
                             &actions, stream, "/dev/null",
                             stream == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0) == 0;
    }
    pid_t child = 0;
    const bool started =
        ready && posix_spawnp(&child, program.c_str(), &actions, nullptr, arguments, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return started ? std::optional<pid_t>(child) : std::nullopt;
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

void LinuxShell::Open(const std::string& fileOrAddress, OpenCompletion done) {
    std::string program = "xdg-open";
    std::string argument = fileOrAddress;
    char* arguments[] = {program.data(), argument.data(), nullptr};
    const std::optional<pid_t> child = SpawnSilently(program, arguments);
    if (!child) {
        done(false);
        return;
    }
    // xdg-open may wait for the browser; wait for it without holding up the caller.
    std::thread([pid = *child, done = std::move(done)] {
        int status = 0;
        pid_t reaped = 0;
        do {
            reaped = waitpid(pid, &status, 0);
        } while (reaped < 0 && errno == EINTR);
        done(reaped == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }).detach();
}

}  // namespace korvalin
