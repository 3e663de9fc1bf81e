#pragma once

#include <string>

#include "platform/Dialogs.h"

namespace korvalin {

// Once the program is asked to end, no dialog may hold it: the open one is ended by the
// loop's exit, and any later one answers at once as if closed. Its answer is then never
// taken for the user's, so a confirmation open at that moment confirms nothing.
class TerminableDialogs final : public Dialogs {
public:
    explicit TerminableDialogs(Dialogs& dialogs) : dialogs_(dialogs) {}

    void RequestTermination() { terminating_ = true; }
    bool Terminating() const { return terminating_; }

    int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;

private:
    Dialogs& dialogs_;
    bool terminating_ = false;
};

}  // namespace korvalin
