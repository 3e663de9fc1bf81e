#pragma once

#include <string>

#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/linux/IniFileRegistry.h"
#include "platform/linux/XdgAutostart.h"

namespace korvalin {

// The registry of this desktop: the autostart value ("Korvalin" under
// "SOFTWARE\Microsoft\Windows\CurrentVersion\Run", any case) is the XDG autostart entry
// <application-data folder>/autostart/korvalin.desktop, whose data is the program path of
// its Exec line; every other key and value lives in the IniFileRegistry file.
class LinuxRegistry final : public Registry {
public:
    explicit LinuxRegistry(const Shell& shell);

    int CreateKey(const std::string& keyPath) override;
    // The Run key and its parents always exist, as they do on every desktop.
    bool KeyExists(const std::string& keyPath) const override;
    std::optional<std::string> ReadString(const std::string& keyPath,
                                          const std::string& valueName) const override;
    int WriteString(const std::string& keyPath, const std::string& valueName,
                    const std::string& value) override;
    int DeleteValue(const std::string& keyPath, const std::string& valueName) override;

    const IniFileRegistry& Store() const { return store_; }
    const XdgAutostart& Autostart() const { return autostart_; }

private:
    IniFileRegistry store_;
    XdgAutostart autostart_;
};

}  // namespace korvalin
