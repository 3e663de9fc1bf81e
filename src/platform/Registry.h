#pragma once

#include <optional>
#include <string>

namespace korvalin {

// The per-user store of string values below key paths, where window placements and the
// autostart entry live. Key paths are backslash-separated ("Software\\Vendor\\Program\\");
// key paths and value names compare without regard to case, and a trailing or leading
// backslash does not matter.
class Registry {
public:
    virtual ~Registry() = default;

    // Creates the key (and its parents) when missing. Returns 0 or an errno value.
    virtual int CreateKey(const std::string& keyPath) = 0;

    virtual bool KeyExists(const std::string& keyPath) const = 0;

    // The value's text, or nothing when the key or the value does not exist or the store
    // cannot be read.
    virtual std::optional<std::string> ReadString(const std::string& keyPath,
                                                  const std::string& valueName) const = 0;

    // Creates the key when missing and stores the value. Returns 0 or an errno value.
    virtual int WriteString(const std::string& keyPath, const std::string& valueName,
                            const std::string& value) = 0;

    // Removes the value. Returns 0, ENOENT when there was no such value, or another
    // errno value.
    virtual int DeleteValue(const std::string& keyPath, const std::string& valueName) = 0;
};

}  // namespace korvalin
