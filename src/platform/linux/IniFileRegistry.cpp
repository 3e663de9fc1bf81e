#include "platform/linux/IniFileRegistry.h"

#include <cerrno>

#include "base/FolderLock.h"
#include "base/Folders.h"

namespace korvalin {

namespace {

std::string KeySection(const std::string& keyPath) {
    const std::size_t first = keyPath.find_first_not_of('\\');
    if (first == std::string::npos) {
        return {};
    }
    const std::size_t last = keyPath.find_last_not_of('\\');
    return keyPath.substr(first, last - first + 1);
}

bool StartsWithName(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           IniDocument::SameName(std::string_view(text).substr(0, prefix.size()), prefix);
}

bool NeedsQuotes(const std::string& value) {
    if (value.empty()) {
        return false;
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return blank(value.front()) || blank(value.back()) || value.front() == '"' ||
           value.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

IniFileRegistry::IniFileRegistry(const Shell& shell)
    : filePath_(shell.AppDataFolder() + "/Korvalin/registry.ini") {}

IniFileRegistry::IniFileRegistry(std::string filePath) : filePath_(std::move(filePath)) {}

std::string IniFileRegistry::EncodeValue(const std::string& value) {
    if (!NeedsQuotes(value)) {
        return value;
    }
    std::string encoded = "\"";
    for (const char c : value) {
        switch (c) {
        case '\\':
            encoded += "\\\\";
            break;
        case '"':
            encoded += "\\\"";
            break;
        case '\n':
            encoded += "\\n";
            break;
        case '\r':
            encoded += "\\r";
            break;
        default:
            encoded += c;
        }
    }
    return encoded + "\"";
}

std::string IniFileRegistry::DecodeValue(const std::string& stored) {
    if (stored.size() < 2 || stored.front() != '"' || stored.back() != '"') {
        return stored;
    }
    std::string decoded;
    for (std::size_t i = 1; i + 1 < stored.size(); ++i) {
        char c = stored[i];
        if (c == '\\' && i + 2 < stored.size()) {
            c = stored[++i];
            c = c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        }
        decoded += c;
    }
    return decoded;
}

template <class Change>
int IniFileRegistry::Modify(Change change) {
    if (const int error = CreateParentFolders(filePath_); error != 0) {
        return error;
    }
    const FolderLock lock(filePath_);
    if (const int error = cache_.Load(filePath_); error != 0) {
        return error;  // never replace a file that could not be read
    }
    IniDocument document = cache_.Document();
    bool save = false;
    if (const int error = change(document, save); error != 0 || !save) {
        return error;
    }
    return cache_.Save(filePath_, document);
}

int IniFileRegistry::CreateKey(const std::string& keyPath) {
    const std::string section = KeySection(keyPath);
    if (section.empty()) {
        return 0;
    }
    if (!IniDocument::ValidSectionName(section)) {
        return EINVAL;
    }
    return Modify([&section](IniDocument& document, bool& save) {
        save = !document.HasSection(section);
        document.AddSection(section);
        return 0;
    });
}

bool IniFileRegistry::KeyExists(const std::string& keyPath) const {
    const std::string section = KeySection(keyPath);
    if (section.empty()) {
        return true;
    }
    if (cache_.Load(filePath_) != 0) {
        return false;
    }
    for (const std::string& name : cache_.Document().SectionNames()) {
        if (IniDocument::SameName(name, section) || (StartsWithName(name, section + "\\"))) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> IniFileRegistry::ReadString(const std::string& keyPath,
                                                       const std::string& valueName) const {
    if (cache_.Load(filePath_) != 0) {
        return std::nullopt;
    }
    const auto stored = cache_.Document().Value(KeySection(keyPath), valueName);
    if (!stored) {
        return std::nullopt;
    }
    return DecodeValue(*stored);
}

int IniFileRegistry::WriteString(const std::string& keyPath, const std::string& valueName,
                                 const std::string& value) {
    const std::string section = KeySection(keyPath);
    if (!IniDocument::ValidSectionName(section) || !IniDocument::ValidKeyName(valueName)) {
        return EINVAL;
    }
    return Modify([&](IniDocument& document, bool& save) {
        save = document.SetValue(section, valueName, EncodeValue(value));
        return save ? 0 : EINVAL;
    });
}

int IniFileRegistry::DeleteValue(const std::string& keyPath, const std::string& valueName) {
    const std::string section = KeySection(keyPath);
    return Modify([&](IniDocument& document, bool& save) {
        save = document.RemoveValue(section, valueName);
        return save ? 0 : ENOENT;
    });
}

}  // namespace korvalin
