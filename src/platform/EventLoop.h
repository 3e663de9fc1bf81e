#pragma once

#include "platform/UiThread.h"

namespace korvalin {

// The user-interface thread of a program without windows: the thread that calls Run()
// works off the posted tasks until Quit() is called.
class EventLoop : public UiThread {
public:
    // Runs posted tasks until Quit(); returns the exit code given to Quit().
    virtual int Run() = 0;

    // Ends Run() after the task that is running now; a later Quit() keeps the first exit
    // code. Callable from any thread, and from a signal handler's helper thread; from then
    // on TerminationRequested() is true.
    virtual void Quit(int exitCode) = 0;
};

}  // namespace korvalin
