#pragma once

#include <cstdint>

class QWidget;

namespace korvalin {

// The status windows as the controller drives them: the small window (or its
// strip) and the large window. Every operation does nothing here, so a window that a
// build or a desktop does not have is simply absent; the windows override what they do.
class StatusWindows {
public:
    virtual ~StatusWindows() = default;

    // Creates both windows hidden, owned by the configuration window; the engine only
    // passes that widget on.
    virtual void Create(QWidget& owner) { (void)owner; }
    // One sample: bytes of the interval received and sent, and the totals.
    virtual void UpdateTraffic(std::int64_t received, std::int64_t sent, std::int64_t totalReceived,
                               std::int64_t totalSent) {
        (void)received;
        (void)sent;
        (void)totalReceived;
        (void)totalSent;
    }
    // Shows the strip when barMode, else the small window.
    virtual void ShowSmall(bool barMode) { (void)barMode; }
    virtual void CloseSmall() {}
    virtual void ShowBig() {}
    virtual void CloseBig() {}
    // Releases the small window at shutdown; when the strip exists the small window hands
    // its strip choice back through the controller's settings (miniBarWindowVisible)
    // and saves.
    virtual void Release() {}
};

}  // namespace korvalin
