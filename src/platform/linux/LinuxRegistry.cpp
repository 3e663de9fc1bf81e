#include "platform/linux/LinuxRegistry.h"

#include "base/IniDocument.h"

namespace korvalin {

namespace {

constexpr std::string_view kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kAutostartValue = "Korvalin";

std::string_view WithoutOuterBackslashes(std::string_view keyPath) {
    while (!keyPath.empty() && keyPath.front() == '\\') {
        keyPath.remove_prefix(1);
    }
    while (!keyPath.empty() && keyPath.back() == '\\') {
        keyPath.remove_suffix(1);
    }
    return keyPath;
}

bool IsRunKey(const std::string& keyPath) {
    return IniDocument::SameName(WithoutOuterBackslashes(keyPath), kRunKey);
}

bool IsAutostartValue(const std::string& keyPath, const std::string& valueName) {
    return IsRunKey(keyPath) && IniDocument::SameName(valueName, kAutostartValue);
}

bool IsRunKeyOrParent(const std::string& keyPath) {
    const std::string_view path = WithoutOuterBackslashes(keyPath);
    return path.empty() || IniDocument::SameName(path, kRunKey) ||
           (path.size() < kRunKey.size() && kRunKey[path.size()] == '\\' &&
            IniDocument::SameName(path, kRunKey.substr(0, path.size())));
}

}  // namespace

LinuxRegistry::LinuxRegistry(const Shell& shell)
    : store_(shell), autostart_(shell.AppDataFolder() + "/autostart/korvalin.desktop") {}

int LinuxRegistry::CreateKey(const std::string& keyPath) {
    return IsRunKeyOrParent(keyPath) ? 0 : store_.CreateKey(keyPath);
}

bool LinuxRegistry::KeyExists(const std::string& keyPath) const {
    return IsRunKeyOrParent(keyPath) || store_.KeyExists(keyPath);
}

std::optional<std::string> LinuxRegistry::ReadString(const std::string& keyPath,
                                                     const std::string& valueName) const {
    if (IsAutostartValue(keyPath, valueName)) {
        return autostart_.ProgramPath();
    }
    return store_.ReadString(keyPath, valueName);
}

int LinuxRegistry::WriteString(const std::string& keyPath, const std::string& valueName,
                               const std::string& value) {
    if (IsAutostartValue(keyPath, valueName)) {
        return autostart_.Write(value);
    }
    return store_.WriteString(keyPath, valueName, value);
}

int LinuxRegistry::DeleteValue(const std::string& keyPath, const std::string& valueName) {
    if (IsAutostartValue(keyPath, valueName)) {
        return autostart_.Remove();
    }
    return store_.DeleteValue(keyPath, valueName);
}

}  // namespace korvalin
