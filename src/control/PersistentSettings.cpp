#include "control/PersistentSettings.h"

#include <algorithm>
#include <type_traits>

#include "core/SettingsFile.h"

namespace korvalin {
namespace {

using S = PersistentSettings;

constexpr std::int32_t IntervalMaximum = 60000;
constexpr std::int32_t CorrectionMaximum = 1024;

const SettingsKey Schema[] = {
    {"Graphs", "DoubleByteMeterMaxY", &S::doubleByteMeterMaxY, std::int32_t{0}},
    {"Graphs", "RcvByteMeterMaxY", &S::rcvByteMeterMaxY, std::int32_t{0}},
    {"Graphs", "SendByteMeterMaxY", &S::sendByteMeterMaxY, std::int32_t{0}},
    {"Options", "New", &S::firstStart, true, 0, 0, KeyRule::FirstStartFlag},
    {"Options", "AllInByte", &S::allInByte, false},
    {"Options", "ShowInTitleBar", &S::showInTitleBar, false},
    {"Options", "ShowBigWindow", &S::showBigWindow, false},
    {"Options", "ShowMiniWindow", &S::showMiniWindow, false},
    {"Options", "MiniBarWindowVisible", &S::miniBarWindowVisible, false},
    {"Options", "Monitor", &S::monitor, "", 0, 0, KeyRule::MissingMeansFirstAdapter},
    {"Options", "MonLAN", &S::monLAN, true},
    {"Options", "SNMPIP", &S::snmpIP, "192.168.0.1"},
    {"Options", "SNMPCommunity", &S::snmpCommunity, "vindra"},
    {"Options", "SNMPRequest", &S::snmpRequest, false},
    {"Options", "SNMPMonIntf", &S::snmpMonIntf, ""},
    {"Options", "SNMPInterval", &S::snmpInterval, std::int32_t{5}, 1, IntervalMaximum},
    {"Options", "ExchangeSendAndReceiveRate", &S::exchangeSendAndReceiveRate, false},
    {"Options", "CorrectUpDownRate", &S::correctUpDownRate, false},
    {"Options", "CorrectUpValue", &S::correctUpValue, std::int32_t{1}, 1, CorrectionMaximum},
    {"Options", "CorrectDownValue", &S::correctDownValue, std::int32_t{1}, 1, CorrectionMaximum},
    {"Sums", "sumSend", &S::sumSend, std::int32_t{0}},
    {"Sums", "sumReceive", &S::sumReceive, std::int32_t{0}},
};

// An Int with its bounds; unreadable values take the default (the settings file reports
// them with a non-zero error code and returns the default already).
std::int32_t ReadInt(SettingsFile& ini, const SettingsKey& row) {
    const std::int32_t fallback = std::get<std::int32_t>(row.defaultValue);
    const std::int32_t value = ini.ReadInteger(row.key, fallback);
    if (ini.ErrorCode() != 0) {
        return fallback;
    }
    return std::clamp(value, row.minimum, row.maximum);
}

void LoadKey(SettingsFile& ini, const SettingsKey& row, PersistentSettings& settings,
             const std::vector<std::string>& adapters) {
    std::visit(
        [&](auto member) {
            using Value = std::remove_cvref_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<Value, bool>) {
                settings.*member = ini.ReadBool(row.key, std::get<bool>(row.defaultValue));
                if (row.rule == KeyRule::FirstStartFlag && settings.*member) {
                    ini.WriteBool(row.key, false);
                }
            } else if constexpr (std::is_same_v<Value, std::string>) {
                settings.*member = ini.ReadString(row.key, std::get<const char*>(row.defaultValue));
                if (row.rule == KeyRule::MissingMeansFirstAdapter && ini.ErrorCode() != 0) {
                    // No choice stored yet: the first real adapter, not all of them.
                    settings.*member = adapters.empty() ? std::string() : adapters.front();
                }
            } else {
                settings.*member = ReadInt(ini, row);
            }
        },
        row.member);
}

void SaveKey(SettingsFile& ini, const SettingsKey& row, const PersistentSettings& settings) {
    if (row.rule == KeyRule::FirstStartFlag) {
        return;
    }
    std::visit(
        [&](auto member) {
            using Value = std::remove_cvref_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<Value, bool>) {
                ini.WriteBool(row.key, settings.*member);
            } else if constexpr (std::is_same_v<Value, std::string>) {
                ini.WriteString(row.key, settings.*member);
            } else {
                // The graph values are kept 64 bits wide but stored as their low 32 bits.
                ini.WriteInteger(row.key, static_cast<std::int32_t>(settings.*member));
            }
        },
        row.member);
}

// Opening a file that does not exist yet reports 2 and succeeds; any failure leaves it
// closed with its reason in the error code.
std::int32_t OpenForSaving(SettingsFile& ini, const std::string& section) {
    ini.SetSection(section);
    ini.SetOpen(true);
    if (ini.Open()) {
        return 0;
    }
    return ini.ErrorCode() != 0 ? ini.ErrorCode() : -1;
}

void SelectSection(SettingsFile& ini, const SettingsKey& row) {
    if (ini.Section() != row.section) {
        ini.SetSection(row.section);
    }
}

}  // namespace

std::span<const SettingsKey> SettingsSchema() {
    return Schema;
}

PersistentSettings LoadSettings(SettingsFile& ini, const std::vector<std::string>& adapters) {
    PersistentSettings settings;
    ini.SetSection(Schema[0].section);
    ini.SetOpen(true);
    for (const SettingsKey& row : Schema) {
        SelectSection(ini, row);
        LoadKey(ini, row, settings, adapters);
    }
    return settings;
}

std::int32_t SaveSettings(SettingsFile& ini, const PersistentSettings& settings) {
    if (const std::int32_t error = OpenForSaving(ini, Schema[0].section); error != 0) {
        return error;
    }
    // One atomic replacement for the whole schema instead of one per key.
    ini.BeginUpdate();
    for (const SettingsKey& row : Schema) {
        SelectSection(ini, row);
        SaveKey(ini, row, settings);
    }
    ini.EndUpdate();
    return ini.ErrorCode();
}

std::int32_t SaveSettingsSection(SettingsFile& ini, const PersistentSettings& settings,
                                 const std::string& section) {
    if (const std::int32_t error = OpenForSaving(ini, section); error != 0) {
        return error;
    }
    ini.BeginUpdate();
    for (const SettingsKey& row : Schema) {
        if (row.section == section) {
            SaveKey(ini, row, settings);
        }
    }
    ini.EndUpdate();
    return ini.ErrorCode();
}

}  // namespace korvalin
