#include "core/WindowPlacement.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace korvalin {

namespace {

constexpr int Absent = -1;
const char* const MonitorName = "Monitor";
const char* const FallbackKeyPath = "\\Software\\My Application";

std::optional<int> ParseInteger(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') {
        ++begin;
    }
    int value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end || begin == end) {
        return std::nullopt;
    }
    return value;
}

// The primary monitor as the placement record counts monitors: only the first two.
std::size_t PrimaryIndex(const std::vector<Monitor>& monitors) {
    return monitors.size() >= 2 && !monitors[0].primary ? 1 : 0;
}

std::size_t TargetIndex(const std::vector<Monitor>& monitors, int& monitorFlag) {
    if (monitors.size() == 1) {
        // The secondary monitor the record was saved on is gone.
        if (monitorFlag == 1) {
            monitorFlag = 0;
        }
        return 0;
    }
    if (monitorFlag == 0) {
        return PrimaryIndex(monitors);
    }
    if (monitorFlag == 1) {
        return monitors[0].primary ? 1 : 0;
    }
    return 0;
}

long long Overlap(const ScreenRect& a, const ScreenRect& b) {
    const long long width =
        std::min<long long>(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
    const long long height =
        std::min<long long>(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

}  // namespace

WindowPlacement::WindowPlacement(Registry& registry, const Screens& screens, RePosWindow& window)
    : registry_(registry), screens_(screens), window_(window) {}

std::string WindowPlacement::KeyPath() const {
    return InifileName.empty() ? FallbackKeyPath : InifileName;
}

std::string WindowPlacement::RecordPath() const {
    std::string path = KeyPath();
    if (path.empty() || path.back() != '\\') {
        path += '\\';
    }
    return path + SectionName;
}

int WindowPlacement::ReadInteger(const std::string& name, int fallback) const {
    const auto text = registry_.ReadString(RecordPath(), name);
    if (!text) {
        return fallback;
    }
    return ParseInteger(*text).value_or(fallback);
}

WindowPlacement::Record WindowPlacement::ReadRecord() const {
    return {ReadInteger(TopName, Absent),    ReadInteger(LeftName, Absent),
            ReadInteger(HeightName, Absent), ReadInteger(WidthName, Absent),
            ReadInteger(WindowStateName, 0), ReadInteger(MonitorName, 0)};
}

void WindowPlacement::LoadPosition() {
    // Opening the store creates the key path, for reading too; a failure reads as empty.
    registry_.CreateKey(KeyPath());
    const Record record = ReadRecord();
    window_.KeepOwnPosition();
    const auto monitors = screens_.Monitors();
    if (monitors.empty()) {
        return;
    }
    if (record.top == Absent || record.left == Absent || record.height == Absent ||
        record.width == Absent) {
        CentreOnPrimary();
        Monitor = rposPrimary;
        return;
    }
    int monitorFlag = record.monitor;
    const std::size_t target = TargetIndex(monitors, monitorFlag);
    ApplyStoredPosition(record, monitorFlag);
    ScreenRect extent = monitors[target].bounds;
    if (monitors.size() >= 2 && target == 1) {
        extent.width += monitors[0].bounds.width;
    }
    ClampToVisibleExtent(record, extent);
    window_.SetShowState(record.showCmd == 1 && AllowMaximized ? WindowShowState::Maximized
                                                               : WindowShowState::Normal);
    Monitor = monitorFlag == 1 ? rposSecondary : rposPrimary;
}

void WindowPlacement::CentreOnPrimary() {
    const auto monitors = screens_.Monitors();
    const ScreenRect screen = monitors[PrimaryIndex(monitors)].bounds;
    const ScreenRect bounds = window_.Bounds();
    window_.SetLeft(screen.left + (screen.width - bounds.width) / 2);
    window_.SetTop(screen.top + (screen.height - bounds.height) / 2);
}

void WindowPlacement::ApplyStoredPosition(const Record& record, int monitorFlag) {
    if (window_.ShowState() != WindowShowState::Normal) {
        return;
    }
    // A secondary monitor may lie at negative coordinates; on the primary one a negative
    // coordinate is left over from a monitor that is gone, and the window keeps its own.
    if (monitorFlag != 0 || record.left >= 0) {
        window_.SetLeft(record.left);
    }
    if (monitorFlag != 0 || record.top >= 0) {
        window_.SetTop(record.top);
    }
}

void WindowPlacement::ClampToVisibleExtent(const Record& record, const ScreenRect& extent) {
    const bool normal = window_.ShowState() == WindowShowState::Normal;
    const bool sizeable = window_.HasSizeableBorder();
    const bool resize = normal && sizeable;
    if (!resize && (sizeable || screens_.Monitors().size() < 2)) {
        return;
    }
    const ScreenRect bounds = window_.Bounds();
    const int width = resize ? record.width : bounds.width;
    const int height = resize ? record.height : bounds.height;
    if (width > 0) {
        if (bounds.left + width > extent.width) {
            window_.SetLeft(std::max(0, extent.width - width));
        }
        if (resize) {
            window_.SetWidth(width);
        }
    }
    if (height > 0) {
        if (bounds.top + height > extent.height) {
            window_.SetTop(std::max(0, extent.height - height));
        }
        if (resize) {
            window_.SetHeight(height);
        }
    }
}

bool WindowPlacement::LiesOnSecondaryMonitor() const {
    const ScreenRect bounds = window_.Bounds();
    const std::vector<korvalin::Monitor> monitors = screens_.Monitors();
    const korvalin::Monitor* best = nullptr;
    long long bestOverlap = 0;
    for (const auto& monitor : monitors) {
        const long long overlap = Overlap(bounds, monitor.bounds);
        if (overlap > bestOverlap) {
            best = &monitor;
            bestOverlap = overlap;
        }
    }
    return best != nullptr && !best->primary;
}

void WindowPlacement::SavePosition() {
    const WindowShowState state = window_.ShowState();
    if (state == WindowShowState::Minimized ||
        (state == WindowShowState::Maximized && !AllowMaximized)) {
        return;
    }
    // Store failures are ignored: a placement not saved only costs the next start its
    // position, and closing the window must not fail over it.
    registry_.CreateKey(KeyPath());
    const std::string path = RecordPath();
    registry_.WriteString(path, WindowStateName, state == WindowShowState::Maximized ? "1" : "0");
    if (state == WindowShowState::Maximized) {
        return;
    }
    const ScreenRect bounds = window_.Bounds();
    registry_.WriteString(path, TopName, std::to_string(bounds.top));
    registry_.WriteString(path, LeftName, std::to_string(bounds.left));
    registry_.WriteString(path, WidthName, std::to_string(bounds.width));
    registry_.WriteString(path, HeightName, std::to_string(bounds.height));
    registry_.WriteString(path, MonitorName, LiesOnSecondaryMonitor() ? "1" : "0");
}

}  // namespace korvalin
