#include "app/AutoStart.h"

#include "core/TextTools.h"

namespace korvalin {

namespace {

// The registry read buffer holds 512 bytes with the terminating zero; longer data does not
// count as a readable entry.
constexpr std::size_t MaxEntryLength = 511;

bool ShadowFlag = false;

}  // namespace

std::string OwnAutoStartPath(const Shell& shell) {
    return shell.ProgramPath();
}

bool IsAutoStart(const Registry& registry, const Shell& shell) {
    const auto entry = registry.ReadString(RunKeyPath, AutoStartValueName);
    if (!entry || entry->size() > MaxEntryLength) {
        return false;
    }
    const std::string ownPath = OwnAutoStartPath(shell);
    // Without a known own path nothing can name this program.
    return !ownPath.empty() && UpperCaseGerman(*entry) == UpperCaseGerman(ownPath);
}

void SetAutoStart(bool enable, Registry& registry, const Shell& shell, Dialogs& dialogs) {
    if (enable) {
        const std::string ownPath = OwnAutoStartPath(shell);
        if (ownPath.empty()) {
            return;  // an entry without a program would start nothing
        }
        if (const int error = registry.WriteString(RunKeyPath, AutoStartValueName, ownPath);
            error != 0) {
            MsgBox(dialogs, "Kann Autostartwert nicht setzen " + std::to_string(error), "Korvalin",
                   mkError, {btnOK});
        }
        return;
    }
    if (!IsAutoStart(registry, shell)) {
        return;
    }
    if (const int error = registry.DeleteValue(RunKeyPath, AutoStartValueName); error != 0) {
        MsgBox(dialogs, "Kann Autostarteintrag nicht löschen " + std::to_string(error), "Korvalin",
               mkError, {btnOK});
    }
}

bool ShadowSupportedBy(const OsVersionInfo& info) {
    return info.ntFamily && info.major >= 5 && info.minor >= 1;
}

void CheckOperatingSystem(const OsVersion& osVersion) {
    OsVersionInfo info;
    ShadowFlag = osVersion.Query(info) && ShadowSupportedBy(info);
}

bool ShadowSupported() {
    return ShadowFlag;
}

}  // namespace korvalin
