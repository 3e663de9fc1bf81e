#pragma once

#include "platform/Screens.h"

namespace korvalin {

enum class WindowShowState { Normal, Minimized, Maximized };

// The window that WindowPlacement places, in virtual-desktop coordinates.
class RePosWindow {
public:
    virtual ~RePosWindow() = default;

    // Left, top, width and height of the window.
    virtual ScreenRect Bounds() const = 0;
    virtual void SetLeft(int left) = 0;
    virtual void SetTop(int top) = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;

    virtual WindowShowState ShowState() const = 0;
    virtual void SetShowState(WindowShowState state) = 0;

    // True for a border the user can drag to resize the window.
    virtual bool HasSizeableBorder() const = 0;

    // Stops the window system from choosing the window's position itself, so the position
    // set through this interface holds.
    virtual void KeepOwnPosition() = 0;
};

}  // namespace korvalin
