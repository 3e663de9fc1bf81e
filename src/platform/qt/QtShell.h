#pragma once

#include <memory>

#include "platform/Shell.h"

namespace korvalin {

// The shell on Qt: checks what is to be opened, has the system's own shell open it (on
// Linux: the XDG rules, /proc/self/exe and xdg-open, which main hands in) and brings the
// outcome back to the user-interface thread, the thread that creates this object.
class QtShell final : public Shell {
public:
    explicit QtShell(Shell& system);
    ~QtShell() override;
    QtShell(const QtShell&) = delete;
    QtShell& operator=(const QtShell&) = delete;

    std::string AppDataFolder() const override;
    std::string ProgramPath() const override;
    // done is called on the user-interface thread, unless this shell is gone by then.
    void Open(const std::string& fileOrAddress, OpenCompletion done) override;

private:
    struct Receiver;

    Shell& system_;
    std::shared_ptr<Receiver> receiver_;
};

}  // namespace korvalin
