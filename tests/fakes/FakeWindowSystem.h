#pragma once

#include <map>
#include <string>

#include "platform/WindowSystem.h"

namespace korvalin::testing {

class FakeWindowSystem final : public WindowSystem {
public:
    WindowId foreground = 0;
    std::map<WindowId, std::string> captions;

    WindowId ForegroundWindow() const override { return foreground; }
    std::optional<std::string> Caption(WindowId window) const override {
        const auto found = captions.find(window);
        if (found == captions.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    bool SetCaption(WindowId window, const std::string& caption) override {
        const auto found = captions.find(window);
        if (found == captions.end()) {
            return false;
        }
        found->second = caption;
        return true;
    }
};

}  // namespace korvalin::testing
