#pragma once

#include <functional>

namespace korvalin {

// Saves on the ends of the program that skip its normal shutdown but still run code:
// exit() from anywhere (the toolkit calls it when the display connection breaks) and a
// fatal toolkit message, which aborts right after. The save runs at most once,
// synchronously, on whatever thread ends the program, so it must touch no window: the
// controller's sums save and nothing else. One instance per process; destroying it
// disarms the hooks, which stay installed but do nothing.
class LastChanceSave {
public:
    explicit LastChanceSave(std::function<void()> save);
    ~LastChanceSave();
    LastChanceSave(const LastChanceSave&) = delete;
    LastChanceSave& operator=(const LastChanceSave&) = delete;

    // Runs the save unless it ran already or the hooks are disarmed.
    static void Run();
};

}  // namespace korvalin
