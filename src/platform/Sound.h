#pragma once

#include <string>

namespace korvalin {

// Plays a short sound file; a back end without sound does nothing.
class Sound {
public:
    virtual ~Sound() = default;
    virtual void Play(const std::string& soundFile) = 0;
};

}  // namespace korvalin
