#pragma once

#include "platform/Sound.h"

namespace korvalin {

// For desktops where the program plays no sounds.
class NullSound final : public Sound {
public:
    void Play(const std::string&) override {}
};

}  // namespace korvalin
