#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace korvalin {

class SettingsFile;

// Every value the program keeps in its settings file, with the factory settings as
// defaults.
struct PersistentSettings {
    // "New" was true when the file was read: the first start of the program.
    bool firstStart = true;

    // Kept for the file only: read at start-up and written back unchanged.
    std::int64_t doubleByteMeterMaxY = 0;
    std::int64_t rcvByteMeterMaxY = 0;
    std::int64_t sendByteMeterMaxY = 0;

    bool allInByte = false;
    bool showInTitleBar = false;
    bool showBigWindow = false;
    bool showMiniWindow = false;
    // The small status window is shown as the status strip.
    bool miniBarWindowVisible = false;
    // The chosen adapter as listed, "Alle Netzwerkadapter" for all of them.
    std::string monitor;
    // The local adapter is the source; false: the router.
    bool monLAN = true;
    std::string snmpIP = "192.168.0.1";
    std::string snmpCommunity = "vindra";
    // Router polling has been switched on permanently.
    bool snmpRequest = false;
    // The router interface to poll, as listed.
    std::string snmpMonIntf;
    // Seconds.
    std::int32_t snmpInterval = 5;
    bool exchangeSendAndReceiveRate = false;
    bool correctUpDownRate = false;
    std::int32_t correctUpValue = 1;
    std::int32_t correctDownValue = 1;

    // Bytes sent and received since the last reset.
    std::int32_t sumSend = 0;
    std::int32_t sumReceive = 0;

    bool operator==(const PersistentSettings&) const = default;
};

// How a key is read beyond its type's rules.
enum class KeyRule {
    Plain,
    // Read once (default true) and written back as false at once; never saved.
    FirstStartFlag,
    // Missing from the file: the first real adapter of the list, or empty.
    MissingMeansFirstAdapter,
};

// The member a key feeds, which also gives its type: Bool, Int (32 or, for the graph
// values, 32 bits widened to 64 with their sign) or String.
using SettingsMember =
    std::variant<bool PersistentSettings::*, std::int32_t PersistentSettings::*,
                 std::int64_t PersistentSettings::*, std::string PersistentSettings::*>;

// One key of the settings file. Loading and saving both walk the table in its order, which
// is the order the keys are written in.
struct SettingsKey {
    const char* section;
    const char* key;
    SettingsMember member;
    // The default of the member's type: bool, std::int32_t or const char*.
    std::variant<bool, std::int32_t, const char*> defaultValue;
    // An Int read outside these bounds is brought to the nearest one.
    std::int32_t minimum = std::numeric_limits<std::int32_t>::min();
    std::int32_t maximum = std::numeric_limits<std::int32_t>::max();
    KeyRule rule = KeyRule::Plain;
};

std::span<const SettingsKey> SettingsSchema();

// Reads every key of the schema from the open-able settings file (sections "Graphs",
// "Options", "Sums"), writing "New" back as false. adapters: the real adapters, for a
// missing "Monitor".
PersistentSettings LoadSettings(SettingsFile& ini, const std::vector<std::string>& adapters);

// Writes every key of the schema but "New" in one atomic replacement of the file. Returns
// 0, or the settings file's ErrorCode of the failure (the file could not be opened, a
// write was refused or the replacement failed); the file is then left as it was.
std::int32_t SaveSettings(SettingsFile& ini, const PersistentSettings& settings);

// Writes the keys of one section alone, in one replacement; returns as SaveSettings.
std::int32_t SaveSettingsSection(SettingsFile& ini, const PersistentSettings& settings,
                                 const std::string& section);

}  // namespace korvalin
