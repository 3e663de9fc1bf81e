#pragma once

#include "platform/Dialogs.h"

namespace korvalin {

// Message boxes and the input dialog as Qt's modal dialogs, owned by the active window.
class QtDialogs final : public Dialogs {
public:
    int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
};

}  // namespace korvalin
