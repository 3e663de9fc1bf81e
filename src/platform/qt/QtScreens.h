#pragma once

#include "platform/Screens.h"

namespace korvalin {

// The monitors as Qt's screens report them, the primary screen marked.
class QtScreens final : public Screens {
public:
    std::vector<Monitor> Monitors() const override;
};

}  // namespace korvalin
