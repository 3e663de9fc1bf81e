#pragma once

#include "platform/Shell.h"

namespace korvalin {

// Folders from the XDG base-directory rules, the program path from /proc, and xdg-open,
// whose exit status is the outcome of Open and whose chatter goes to /dev/null.
class LinuxShell final : public Shell {
public:
    std::string AppDataFolder() const override;
    std::string ProgramPath() const override;
    void Open(const std::string& fileOrAddress, OpenCompletion done) override;
};

}  // namespace korvalin
