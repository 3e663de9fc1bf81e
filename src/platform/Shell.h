#pragma once

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

    // Opens a local file or an address with the default application. Returns false when
    // no application could be started for it.
    virtual bool Open(const std::string& fileOrAddress) = 0;
};

}  // namespace korvalin
