#pragma once

#include "platform/Shell.h"

namespace korvalin {

// The shell on Qt: folders per the XDG base-directory rules, the program path from
// /proc/self/exe, documents and addresses opened with QDesktopServices, or with xdg-open where the
// platform plugin cannot open them.
class QtShell final : public Shell {
public:
    std::string AppDataFolder() const override;
    std::string ProgramPath() const override;
    bool Open(const std::string& fileOrAddress) override;
};

}  // namespace korvalin
