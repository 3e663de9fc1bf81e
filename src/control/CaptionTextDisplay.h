#pragma once

#include <string>

namespace korvalin {

// The caption text display as the controller drives it. This base keeps the values
// only, so without a display the option is remembered and does nothing; a display
// overrides it.
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
