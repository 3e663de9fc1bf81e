#pragma once

#include <cerrno>
#include <map>
#include <string>

#include "platform/Registry.h"

namespace korvalin::testing {

// An in-memory registry; keys and names compare without regard to case like the real
// store. failWrites makes every change fail with that errno value.
class FakeRegistry final : public Registry {
public:
    int failWrites = 0;

    int CreateKey(const std::string& keyPath) override {
        if (failWrites != 0) {
            return failWrites;
        }
        keys_[Normal(keyPath)];
        return 0;
    }

    bool KeyExists(const std::string& keyPath) const override {
        return keys_.count(Normal(keyPath)) != 0;
    }

    std::optional<std::string> ReadString(const std::string& keyPath,
                                          const std::string& valueName) const override {
        const auto key = keys_.find(Normal(keyPath));
        if (key == keys_.end()) {
            return std::nullopt;
        }
        const auto value = key->second.find(Upper(valueName));
        if (value == key->second.end()) {
            return std::nullopt;
        }
        return value->second;
    }

    int WriteString(const std::string& keyPath, const std::string& valueName,
                    const std::string& value) override {
        if (failWrites != 0) {
            return failWrites;
        }
        keys_[Normal(keyPath)][Upper(valueName)] = value;
        return 0;
    }

    int DeleteValue(const std::string& keyPath, const std::string& valueName) override {
        if (failWrites != 0) {
            return failWrites;
        }
        const auto key = keys_.find(Normal(keyPath));
        if (key == keys_.end() || key->second.erase(Upper(valueName)) == 0) {
            return ENOENT;
        }
        return 0;
    }

    std::size_t ValueCount(const std::string& keyPath) const {
        const auto key = keys_.find(Normal(keyPath));
        return key == keys_.end() ? 0 : key->second.size();
    }

private:
    static std::string Upper(const std::string& text) {
        std::string result = text;
        for (auto& c : result) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        return result;
    }

    static std::string Normal(const std::string& keyPath) {
        std::string path = Upper(keyPath);
        while (!path.empty() && path.back() == '\\') {
            path.pop_back();
        }
        while (!path.empty() && path.front() == '\\') {
            path.erase(path.begin());
        }
        return path;
    }

    std::map<std::string, std::map<std::string, std::string>> keys_;
};

}  // namespace korvalin::testing
