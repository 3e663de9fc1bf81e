#pragma once

#include <vector>

#include "platform/Screens.h"

namespace korvalin::testing {

class FakeScreens final : public Screens {
public:
    std::vector<Monitor> monitors{{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true}};
    std::vector<Monitor> Monitors() const override { return monitors; }
};

}  // namespace korvalin::testing
