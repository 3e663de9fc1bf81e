#include "app/SystemIntegration.h"

#include <filesystem>
#include <system_error>

#include "core/MyTools.h"

namespace korvalin {

namespace {

const char* const ManualName = "manual.htm";

std::filesystem::path ProgramFolder(const Shell& shell) {
    return std::filesystem::path(shell.ProgramPath()).parent_path();
}

}  // namespace

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
    if (manual.empty() || !shell_.Open(manual)) {
        MsgBox(dialogs_, "Konnte Standard-Browser mit Datei manual.htm nicht öffnen.", "", mkError,
               {btnOK});
    }
}

void SystemIntegration::MySpeedButton1Click() {
    if (!shell_.Open(WebPageAddress)) {
        MsgBox(dialogs_, "Konnte Standard-Browser nicht öffnen.", "", mkError, {btnOK});
    }
}

}  // namespace korvalin
