#pragma once

#include "platform/RePosWindow.h"

namespace korvalin::testing {

// A window that only remembers where it was put.
class FakeRePosWindow final : public RePosWindow {
public:
    ScreenRect bounds{0, 0, 295, 345};
    WindowShowState state = WindowShowState::Normal;
    bool sizeable = true;
    bool keepsOwnPosition = false;

    ScreenRect Bounds() const override { return bounds; }
    void SetLeft(int left) override { bounds.left = left; }
    void SetTop(int top) override { bounds.top = top; }
    void SetWidth(int width) override { bounds.width = width; }
    void SetHeight(int height) override { bounds.height = height; }
    WindowShowState ShowState() const override { return state; }
    void SetShowState(WindowShowState newState) override { state = newState; }
    bool HasSizeableBorder() const override { return sizeable; }
    void KeepOwnPosition() override { keepsOwnPosition = true; }
};

}  // namespace korvalin::testing
