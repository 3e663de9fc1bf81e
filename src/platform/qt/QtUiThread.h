#pragma once

#include <QObject>
#include <atomic>

#include "platform/UiThread.h"

namespace korvalin {

// Posts tasks into the Qt event loop of the thread that created this object (the GUI
// thread). Termination is requested by RequestTermination() or when the application
// is about to quit.
class QtUiThread final : public QObject, public UiThread {
    Q_OBJECT
public:
    QtUiThread();

    void Post(std::function<void()> task) override;
    bool TerminationRequested() const override;
    void RequestTermination();

private:
    std::atomic<bool> terminating_{false};
};

}  // namespace korvalin
