#include "app/SystemIntegration.h"

#include <filesystem>
#include <system_error>

#include "core/TextTools.h"

namespace korvalin {

namespace {

const char* const ManualName = "manual.htm";

std::filesystem::path ProgramFolder(const Shell& shell) {
    return std::filesystem::path(shell.ProgramPath()).parent_path();
}

void ShowHelpMessage(Dialogs& dialogs) {
    MsgBox(dialogs, "Konnte Standard-Browser mit Datei manual.htm nicht öffnen.", "", mkError,
           {btnOK});
}

}  // namespace

void ShowBrowserMessage(Dialogs& dialogs) {
    MsgBox(dialogs, "Konnte Standard-Browser nicht öffnen.", "", mkError, {btnOK});
}

SystemIntegration::SystemIntegration(Shell& shell, Dialogs& dialogs)
    : shell_(shell), dialogs_(dialogs) {}

std::vector<std::string> SystemIntegration::ManualCandidates() const {
    const std::filesystem::path folder = ProgramFolder(shell_);
    if (folder.empty()) {
        return {};
    }
    // An installed program lives in <prefix>/bin and keeps its manual in
    // <prefix>/share/korvalin.
    return {(folder / ManualName).string(),
            (folder.parent_path() / "share" / "korvalin" / ManualName).string()};
}

std::string SystemIntegration::FindManual() const {
    for (const std::string& candidate : ManualCandidates()) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return candidate;
        }
    }
    return {};
}

void SystemIntegration::HelpBtnClick() {
    const std::string manual = FindManual();
    if (manual.empty()) {
        ShowHelpMessage(dialogs_);
        return;
    }
    // The dialogs outlive this object, and the opener may finish after it is gone.
    shell_.Open(manual, [&dialogs = dialogs_](bool opened) {
        if (!opened) {
            ShowHelpMessage(dialogs);
        }
    });
}

void SystemIntegration::MySpeedButton1Click() {
    shell_.Open(WebPageAddress, [&dialogs = dialogs_](bool opened) {
        if (!opened) {
            ShowBrowserMessage(dialogs);
        }
    });
}

}  // namespace korvalin
