#pragma once

#include <optional>
#include <string>

#include "platform/RePosWindow.h"
#include "platform/Registry.h"
#include "platform/Screens.h"

namespace korvalin {

enum TReposMonitor { rposPrimary, rposSecondary };

// Stores a window's position, size, maximised flag and monitor in the registry and puts
// the window back there, on a monitor that still exists.
class WindowPlacement {
public:
    WindowPlacement(Registry& registry, const Screens& screens, RePosWindow& window);

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
