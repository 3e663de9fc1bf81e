#include "core/TextTools.h"

#include <cstdio>
#include <limits>
#include <vector>

namespace korvalin {

namespace {

struct Unit {
    const char* byteName;
    const char* bitName;
    std::int64_t divisor;
};

constexpr Unit kByte{"Byte", "Bit/s", 1};
constexpr Unit kKilo{"KB", "KBit/s", 1024};
constexpr Unit kMega{"MB", "MBit/s", 1048576};
constexpr Unit kGiga{"GB", "GBit/s", 1073741824};

// The thresholds apply to the value after the bit conversion; a unit changes at 100
// bytes, 1024 KB and 1024 MB.
template <class Number>
const Unit& ChooseUnit(bool allInByte, Number x) {
    if (allInByte || x < 100) {
        return kByte;
    }
    if (x < 1048576) {
        return kKilo;
    }
    if (x < 1073741824) {
        return kMega;
    }
    return kGiga;
}

std::string UnitName(const Unit& unit, bool asBits) {
    return asBits ? unit.bitName : unit.byteName;
}

// Digits before and after the point of x (positive), rounded half away from zero.
// printf gives the exact binary value in decimal when asked for enough digits (the value
// has at most 30 binary fraction digits), so the tie is decided on the exact value.
void RoundedDigits(long double x, unsigned decimals, std::string& whole, std::string& fraction) {
    const unsigned precision = decimals + 40;
    std::vector<char> buffer(static_cast<std::size_t>(precision) + 64);
    int length =
        std::snprintf(buffer.data(), buffer.size(), "%.*Lf", static_cast<int>(precision), x);
    if (length < 0 || static_cast<std::size_t>(length) >= buffer.size()) {
        buffer.resize(static_cast<std::size_t>(length < 0 ? 0 : length) + 1);
        length =
            std::snprintf(buffer.data(), buffer.size(), "%.*Lf", static_cast<int>(precision), x);
    }
    std::string text(buffer.data(), length < 0 ? 0 : static_cast<std::size_t>(length));
    const std::size_t point = text.find('.');
    whole = text.substr(0, point);
    std::string digits = point == std::string::npos ? std::string() : text.substr(point + 1);
    digits.resize(static_cast<std::size_t>(decimals) + 1, '0');
    const bool roundUp = digits.back() >= '5';
    digits.pop_back();
    fraction = digits;
    if (!roundUp) {
        return;
    }
    std::string all = whole + fraction;
    std::size_t position = all.size();
    while (position > 0) {
        --position;
        if (all[position] != '9') {
            ++all[position];
            break;
        }
        all[position] = '0';
        if (position == 0) {
            all.insert(all.begin(), '1');
        }
    }
    whole = all.substr(0, all.size() - fraction.size());
    fraction = all.substr(all.size() - fraction.size());
}

std::string GroupThousands(const std::string& digits) {
    std::string result;
    const std::size_t count = digits.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) {
            result += '.';
        }
        result += digits[i];
    }
    return result;
}

std::string GermanNumber(long double x, unsigned decimals) {
    std::string whole;
    std::string fraction;
    RoundedDigits(x, decimals, whole, fraction);
    std::string result = GroupThousands(whole);
    if (decimals > 0) {
        result += ',';
        result += fraction;
    }
    return result;
}

}  // namespace

std::string FormatBytes(bool allInByte, std::uint8_t decimals, bool asBits, std::int64_t value) {
    long double x = static_cast<long double>(value);
    if (asBits) {
        x *= 8;
    }
    const Unit& unit = ChooseUnit(allInByte, x);
    x /= static_cast<long double>(unit.divisor);
    const std::string name = UnitName(unit, asBits);
    if (!(x > 0)) {
        return "0 " + name;
    }
    const unsigned places = unit.divisor == 1 ? 0U : decimals;
    return GermanNumber(x, places) + " " + name;
}

std::string FormatBytesInt(bool allInByte, bool asBits, std::int64_t value) {
    // 128 bits, so that the bit conversion of very large counts cannot overflow.
    __extension__ using Wide = __int128;
    Wide x = value;
    if (asBits) {
        x *= 8;
    }
    const Unit& unit = ChooseUnit(allInByte, x);
    const Wide scaled = x / unit.divisor;
    const std::string name = UnitName(unit, asBits);
    if (scaled <= 0) {
        return "0 " + name;
    }
    std::string digits;
    for (Wide rest = scaled; rest > 0; rest /= 10) {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(rest % 10)));
    }
    return digits + " " + name;
}

std::string CaptionText(bool allInByte, std::int64_t received, std::int64_t sent,
                        std::int64_t totalReceived, std::int64_t totalSent) {
    return "E: " + FormatBytesInt(allInByte, false, received) +
           "; G: " + FormatBytesInt(allInByte, false, sent) +
           "; GE: " + FormatBytesInt(allInByte, false, totalReceived) +
           "; GG: " + FormatBytesInt(allInByte, false, totalSent);
}

StringArray SplitString(const std::string& s, const std::string& separator) {
    StringArray result;
    if (separator.empty()) {
        if (!s.empty()) {
            result.push_back(s);
        }
        return result;
    }
    std::size_t start = 0;
    for (std::size_t found = s.find(separator, start); found != std::string::npos;
         found = s.find(separator, start)) {
        result.push_back(s.substr(start, found - start));
        start = found + separator.size();
    }
    if (start < s.size()) {
        result.push_back(s.substr(start));
    }
    return result;
}

std::string UpperCaseGerman(const std::string& s) {
    // In UTF-8 ä ö ü are C3 A4, C3 B6, C3 BC and their capitals C3 84, C3 96, C3 9C.
    constexpr auto kLead = static_cast<unsigned char>(0xC3);
    const auto isContinuation = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
    std::string result = s;
    for (std::size_t i = 0; i < result.size(); ++i) {
        const auto byte = static_cast<unsigned char>(result[i]);
        if (byte >= 'a' && byte <= 'z') {
            result[i] = static_cast<char>(byte - 'a' + 'A');
        } else if (byte == kLead && i + 1 < result.size() &&
                   isContinuation(static_cast<unsigned char>(result[i + 1]))) {
            // Only a complete sequence is a character; a lone lead byte is copied and
            // the byte after it is looked at on its own.
            const auto next = static_cast<unsigned char>(result[i + 1]);
            if (next == 0xA4 || next == 0xB6 || next == 0xBC) {
                result[i + 1] = static_cast<char>(next - 0x20);
            }
            ++i;
        }
    }
    return result;
}

std::string DefaultCaption(TMsgKind kind) {
    switch (kind) {
    case mkError:
        return "Fehler";
    case mkInformation:
        return "Information";
    case mkQuestion:
        return "Frage";
    case mkWarning:
        return "Warnung";
    case mkConfirmation:
        return "Bestätigung";
    }
    return {};
}

namespace {

unsigned KindIcon(TMsgKind kind) {
    // Errors carry the exclamation mark and warnings the stop sign, as the program always
    // showed them.
    switch (kind) {
    case mkError:
        return Dialogs::IconExclamation;
    case mkInformation:
        return Dialogs::IconInformation;
    case mkQuestion:
    case mkConfirmation:
        return Dialogs::IconQuestion;
    case mkWarning:
        return Dialogs::IconHand;
    }
    return 0;
}

unsigned ButtonStyle(TMsgButton button) {
    switch (button) {
    case btnAbortRetryIgnore:
        return Dialogs::StyleAbortRetryIgnore;
    case btnOK:
        return Dialogs::StyleOk;
    case btnOKCancel:
        return Dialogs::StyleOkCancel;
    case btnRetryCancel:
        return Dialogs::StyleRetryCancel;
    case btnYesNo:
        return Dialogs::StyleYesNo;
    case btnYesNoCancel:
        return Dialogs::StyleYesNoCancel;
    }
    return 0;
}

}  // namespace

unsigned MsgBoxStyle(TMsgKind kind, TMsgButtons buttons) {
    unsigned style = Dialogs::SetForeground + KindIcon(kind);
    for (const TMsgButton button :
         {btnAbortRetryIgnore, btnOK, btnOKCancel, btnRetryCancel, btnYesNo, btnYesNoCancel}) {
        if (buttons.Contains(button)) {
            style += ButtonStyle(button);
        }
    }
    return style;
}

int MsgBox(Dialogs& dialogs, const std::string& text, const std::string& caption, TMsgKind kind,
           TMsgButtons buttons) {
    const std::string shownCaption = caption.empty() ? DefaultCaption(kind) : caption;
    return dialogs.MessageBox(text, shownCaption, MsgBoxStyle(kind, buttons));
}

std::string GetRegistryKey() {
    return "Software\\Halvesund Software\\Korvalin\\";
}

}  // namespace korvalin
