#pragma once

#include <string>

#include "base/IniDocumentCache.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace korvalin {

// The registry as one INI file ($XDG_CONFIG_HOME/Korvalin/registry.ini): a section per key
// path, named as the path was first created, without its outer backslashes. The file is
// read again whenever it changed on disk and every change replaces it atomically, so
// several objects and processes can share it. Values that would not survive the INI
// format as they are (outer blanks, line breaks, a leading quote) are stored quoted with
// backslash escapes.
class IniFileRegistry final : public Registry {
public:
    explicit IniFileRegistry(const Shell& shell);
    explicit IniFileRegistry(std::string filePath);

    const std::string& FilePath() const { return filePath_; }

    // An invalid key path or value name (one that holds "]" or a line break, or a value
    // name that is empty, holds "=" or starts like an INI header or comment) gives EINVAL.
    int CreateKey(const std::string& keyPath) override;
    // The root ("") and every parent of a stored key exist.
    bool KeyExists(const std::string& keyPath) const override;
    std::optional<std::string> ReadString(const std::string& keyPath,
                                          const std::string& valueName) const override;
    int WriteString(const std::string& keyPath, const std::string& valueName,
                    const std::string& value) override;
    int DeleteValue(const std::string& keyPath, const std::string& valueName) override;

    static std::string EncodeValue(const std::string& value);
    static std::string DecodeValue(const std::string& stored);

private:
    // Runs change on the current document under the folder lock and saves the result
    // when change returns 0 and asks for it.
    template <class Change>
    int Modify(Change change);

    std::string filePath_;
    mutable IniDocumentCache cache_;
};

}  // namespace korvalin
