#pragma once

#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Shell.h"

namespace korvalin {

// The maker's addresses, opened in the user's browser.
inline constexpr const char* WebPageAddress = "https://korvalin.example/";
inline constexpr const char* SupportForumAddress = "https://korvalin.example/forum/";

// Tells the user that the default browser could not open an address.
void ShowBrowserMessage(Dialogs& dialogs);

// The configuration window's buttons that reach out of the program: the help file and
// the web page, opened through the shell, failures reported in message boxes.
class SystemIntegration {
public:
    SystemIntegration(Shell& shell, Dialogs& dialogs);

    // "Hilfe": opens manual.htm from the program's folder or, for an installed program,
    // from its data folder (<prefix>/share/korvalin); shows the help message when there is
    // none or the shell cannot open it (once the opener has given up).
    void HelpBtnClick();

    // "Korvalin im Internet" and the footer link: opens the web page, showing the browser
    // message when the shell cannot open it (once the opener has given up).
    void MySpeedButton1Click();

    // The places searched for the manual, first match wins.
    std::vector<std::string> ManualCandidates() const;

    // The first existing candidate, or empty.
    std::string FindManual() const;

private:
    Shell& shell_;
    Dialogs& dialogs_;
};

}  // namespace korvalin
