#pragma once

#include <map>
#include <sstream>
#include <string>

namespace korvalin::testing {

using IniMap = std::map<std::string, std::map<std::string, std::string>>;

// Reads an INI text into sections of keys (names as written).
inline IniMap ParseIni(const std::string& text) {
    IniMap result;
    std::istringstream lines(text);
    std::string line;
    std::string section;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            result[section];
            continue;
        }
        const auto equals = line.find('=');
        if (equals != std::string::npos) {
            result[section][line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return result;
}

}  // namespace korvalin::testing
