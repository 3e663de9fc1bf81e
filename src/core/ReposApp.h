#pragma once

#include <optional>
#include <string>

#include "platform/Registry.h"
#include "platform/Screens.h"

namespace korvalin {

enum class WindowShowState { Normal, Minimized, Maximized };

// The window that TRePosApp places, in virtual-desktop coordinates.
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

enum TReposMonitor { rposPrimary, rposSecondary };

// Stores a window's position, size, maximised flag and monitor in the registry and puts
// the window back there, on a monitor that still exists.
class TRePosApp {
public:
    TRePosApp(Registry& registry, const Screens& screens, RePosWindow& window);

    std::string InifileName;
    std::string SectionName = "WindowPosition";
    std::string LeftName = "Left";
    std::string TopName = "Top";
    std::string WidthName = "Width";
    std::string HeightName = "Height";
    std::string WindowStateName = "ShowCmd";
    bool AllowMaximized = false;
    // The monitor chosen by the last restore.
    TReposMonitor Monitor = rposPrimary;

    // Reads the stored record and places the window; without a complete record the window
    // is centred on the primary monitor at its current size.
    void LoadPosition();

    // Writes the window's placement; a minimised window writes nothing, nor does a
    // maximised one unless AllowMaximized. Store failures are ignored.
    void SavePosition();

private:
    struct Record {
        int top;
        int left;
        int height;
        int width;
        int showCmd;
        int monitor;
    };

    std::string KeyPath() const;
    std::string RecordPath() const;
    Record ReadRecord() const;
    int ReadInteger(const std::string& name, int fallback) const;
    void CentreOnPrimary();
    void ApplyStoredPosition(const Record& record, int monitorFlag);
    void ClampToVisibleExtent(const Record& record, const ScreenRect& extent);
    bool LiesOnSecondaryMonitor() const;

    Registry& registry_;
    const Screens& screens_;
    RePosWindow& window_;
};

}  // namespace korvalin
