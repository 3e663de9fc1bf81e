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

// A settings file with every key of the schema, each away from its default, in the order
// the program writes them.
inline const char* const EverySettingSet =
    "[Graphs]\nDoubleByteMeterMaxY=-20\nRcvByteMeterMaxY=5000\nSendByteMeterMaxY=7\n"
    "[Options]\nNew=0\nAllInByte=1\nShowInTitleBar=1\nShowBigWindow=1\nShowMiniWindow=1\n"
    "MiniBarWindowVisible=1\nMonitor=wlan0\nMonLAN=1\nSNMPIP=10.0.0.9\n"
    "SNMPCommunity=secret\nSNMPRequest=0\nSNMPMonIntf=eth1\nSNMPInterval=30\n"
    "ExchangeSendAndReceiveRate=1\nCorrectUpDownRate=1\nCorrectUpValue=12\n"
    "CorrectDownValue=1024\n[Sums]\nsumSend=1000\nsumReceive=2000\n";

}  // namespace korvalin::testing
