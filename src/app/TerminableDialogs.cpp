#include "app/TerminableDialogs.h"

namespace korvalin {
namespace {

// What closing a box of this style answers: Cancel where there is one.
int ClosedAnswer(unsigned style) {
    switch (style & Dialogs::ButtonMask) {
    case Dialogs::StyleOkCancel:
    case Dialogs::StyleYesNoCancel:
    case Dialogs::StyleRetryCancel:
        return IdCancel;
    case Dialogs::StyleYesNo:
        return IdNo;
    case Dialogs::StyleAbortRetryIgnore:
        return IdAbort;
    default:
        return IdOk;
    }
}

}  // namespace

int TerminableDialogs::MessageBox(const std::string& text, const std::string& caption,
                                  unsigned style) {
    if (!terminating_) {
        const int answer = dialogs_.MessageBox(text, caption, style);
        if (!terminating_) {
            return answer;
        }
    }
    return ClosedAnswer(style);
}

bool TerminableDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                                   std::string& value) {
    if (terminating_) {
        return false;
    }
    std::string answer = value;
    if (!dialogs_.InputQuery(caption, prompt, answer) || terminating_) {
        return false;
    }
    value = answer;
    return true;
}

}  // namespace korvalin
