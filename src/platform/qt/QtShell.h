#pragma once

#include "platform/Shell.h"

namespace korvalin {

// The shell on Qt: documents and addresses opened with QDesktopServices. The folders, the
// program path and what the platform plugin cannot open come from the system's own shell,
// which main hands in (on Linux: the XDG rules, /proc/self/exe and xdg-open).
class QtShell final : public Shell {
public:
    explicit QtShell(Shell& system) : system_(system) {}

    std::string AppDataFolder() const override;
    std::string ProgramPath() const override;
    bool Open(const std::string& fileOrAddress) override;

private:
    Shell& system_;
};

}  // namespace korvalin
