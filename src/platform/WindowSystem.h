#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvalin {

// A top-level window of any program on the desktop; 0 is no window.
using WindowId = std::uint64_t;

// The desktop's windows beyond this program's own: the foreground window and its
// caption. Back ends that cannot see other programs' windows report no foreground window.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // The window that has the input focus now, or 0.
    virtual WindowId ForegroundWindow() const = 0;

    // The window's caption, or nothing when the window is gone.
    virtual std::optional<std::string> Caption(WindowId window) const = 0;

    // Replaces the window's caption. Returns false when the window is gone.
    virtual bool SetCaption(WindowId window, const std::string& caption) = 0;
};

}  // namespace korvalin
