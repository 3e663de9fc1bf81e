#pragma once

#include <functional>
#include <string>

namespace korvalin {

// The desktop shell: well-known folders, the program's own path, and opening documents
// and addresses with the user's default application.
class Shell {
public:
    virtual ~Shell() = default;

    // The per-user application-data folder ($XDG_CONFIG_HOME, else ~/.config), without a
    // final slash; empty when it cannot be determined.
    virtual std::string AppDataFolder() const = 0;

    // The running program's absolute path (symbolic links resolved).
    virtual std::string ProgramPath() const = 0;

    // Receives the outcome of Open: true when the default application took the target,
    // false when nothing could open it.
    using OpenCompletion = std::function<void(bool opened)>;

    // Opens a local file or an address with the default application without waiting for
    // it. done is called once with the outcome: at once for a target that is refused
    // outright, else when the opener has finished. QtShell calls it on the user-interface
    // thread; LinuxShell, which has none, on a thread of its own.
    virtual void Open(const std::string& fileOrAddress, OpenCompletion done) = 0;
};

}  // namespace korvalin
