#pragma once

#include <cstdint>
#include <string>

namespace korvalin {

class TMain;

// The status windows as the configuration window drives them: the small window (or its
// strip) and the large window. Every operation does nothing here; the windows' own
// implementation takes its place once they exist.
class StatusWindows {
public:
    virtual ~StatusWindows() = default;

    // Creates both windows hidden, owned by the configuration window.
    virtual void Create(TMain& main) { (void)main; }
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
    // its strip choice back through the main window (MiniBarWindowVisible) and saves.
    virtual void Release() {}
};

// The caption text display as the configuration window drives it. This holder keeps the
// values only; the display's implementation takes its place once it exists.
class CaptionTextDisplay {
public:
    virtual ~CaptionTextDisplay() = default;

    // Dialog windows get no text; the text goes in front of the foreground caption.
    virtual void Prepare() {}
    virtual bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled) { enabled_ = enabled; }
    virtual void SetTextToAdd(const std::string& text) { textToAdd_ = text; }
    virtual const std::string& TextToAdd() const { return textToAdd_; }

private:
    bool enabled_ = false;
    std::string textToAdd_;
};

}  // namespace korvalin
