#pragma once

#include "platform/Shell.h"

namespace korvalin {

// Folders from the XDG base-directory rules, the program path from /proc, and xdg-open.
class LinuxShell final : public Shell {
public:
    std::string AppDataFolder() const override;
    std::string ProgramPath() const override;
    bool Open(const std::string& fileOrAddress) override;
};

}  // namespace korvalin
