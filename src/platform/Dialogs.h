#pragma once

#include <string>

namespace korvalin {

// Button identifiers as a message box reports them.
enum DialogResult : int {
    IdOk = 1,
    IdCancel = 2,
    IdAbort = 3,
    IdRetry = 4,
    IdIgnore = 5,
    IdYes = 6,
    IdNo = 7,
};

// Modal dialogs: message boxes and the one-line input dialog.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Message box styles, combined by addition as the classic message-box call takes them.
    static constexpr unsigned StyleOk = 0x0;
    static constexpr unsigned StyleOkCancel = 0x1;
    static constexpr unsigned StyleAbortRetryIgnore = 0x2;
    static constexpr unsigned StyleYesNoCancel = 0x3;
    static constexpr unsigned StyleYesNo = 0x4;
    static constexpr unsigned StyleRetryCancel = 0x5;
    static constexpr unsigned ButtonMask = 0xF;
    static constexpr unsigned IconHand = 0x10;
    static constexpr unsigned IconQuestion = 0x20;
    static constexpr unsigned IconExclamation = 0x30;
    static constexpr unsigned IconInformation = 0x40;
    static constexpr unsigned IconMask = 0xF0;
    static constexpr unsigned SetForeground = 0x10000;

    // Shows a modal message box with the buttons and icon of style, owned by the active
    // window, and returns the DialogResult of the button pressed (closing the box counts
    // as Cancel where there is one, else as the only button).
    virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;

    // Asks for one line of text; value holds the proposal and receives the answer.
    // Returns false (value unchanged) when the user cancels.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) = 0;
};

}  // namespace korvalin
