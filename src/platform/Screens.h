#pragma once

#include <vector>

namespace korvalin {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const ScreenRect&) const = default;
};

struct Monitor {
    ScreenRect bounds;    // the whole monitor in virtual-desktop coordinates
    ScreenRect workArea;  // bounds less panels and docks
    bool primary = false;
};

// The monitors attached now, in the system's order.
class Screens {
public:
    virtual ~Screens() = default;
    virtual std::vector<Monitor> Monitors() const = 0;
};

}  // namespace korvalin
