#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace korvalin {

// Renders a byte count with a unit ("1,50 KB", "117,74 MB"; "Bit/s" units when asBits,
// which multiplies the value by 8 first). Below 100 the unit is "Byte", then "KB" up to
// 1024 KB, "MB" up to 1024 MB, then "GB"; allInByte keeps "Byte" at every size. Zero and
// negative values give "0 Byte". German separators ("." thousands, "," decimals) whatever
// the process locale. Ties round half away from zero on the exact value, so 1152 bytes
// with two decimals (1.125 KB) give "1,13 KB".
std::string FormatBytes(bool allInByte, std::uint8_t decimals, bool asBits, std::int64_t value);

// The same units in whole numbers: integer division (truncation), no separators
// ("117 MB", "0 KB" for 100 bytes).
std::string FormatBytesInt(bool allInByte, bool asBits, std::int64_t value);

// The text of one sample as it goes in front of a window caption and onto the console:
// "E: 1 KB; G: 0 KB; GE: 117 MB; GG: 4 MB" (received, sent, their totals; whole units).
std::string CaptionText(bool allInByte, std::int64_t received, std::int64_t sent,
                        std::int64_t totalReceived, std::int64_t totalSent);

using StringArray = std::vector<std::string>;

// Splits at every occurrence of separator: inner empty pieces stay, a trailing empty
// piece does not, and the empty string gives an empty array. An empty separator never
// matches, so a non-empty s gives [s].
StringArray SplitString(const std::string& s, const std::string& separator);

// Upper-cases the UTF-8 text: a-z and the umlauts ä ö ü; everything else, ß and
// other accented letters included, stays as it is.
std::string UpperCaseGerman(const std::string& s);

// A fixed underlying type, so that a value outside the kinds is still a valid value.
enum TMsgKind : int { mkError, mkInformation, mkQuestion, mkWarning, mkConfirmation };

enum TMsgButton {
    btnAbortRetryIgnore,
    btnOK,
    btnOKCancel,
    btnRetryCancel,
    btnYesNo,
    btnYesNoCancel
};

// A set of button groups; callers name one ({btnYesNo}); the empty set means OK.
class TMsgButtons {
public:
    constexpr TMsgButtons() = default;
    constexpr TMsgButtons(std::initializer_list<TMsgButton> buttons) {
        for (const TMsgButton button : buttons) {
            bits_ = static_cast<std::uint8_t>(bits_ | Bit(button));
        }
    }

    constexpr bool Contains(TMsgButton button) const { return (bits_ & Bit(button)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }

private:
    static constexpr std::uint8_t Bit(TMsgButton button) {
        return static_cast<std::uint8_t>(1U << static_cast<unsigned>(button));
    }

    std::uint8_t bits_ = 0;
};

// The caption used when MsgBox gets none ("Fehler", "Information", "Frage", "Warnung",
// "Bestätigung"); empty for a kind outside TMsgKind.
std::string DefaultCaption(TMsgKind kind);

// The message-box style MsgBox shows: foreground + the kind's icon + the buttons' styles
// (added, as the classic call takes them).
unsigned MsgBoxStyle(TMsgKind kind, TMsgButtons buttons);

// Shows a modal message box and returns the id of the button pressed (DialogResult, 1..7).
// An empty caption is replaced by the kind's default caption.
int MsgBox(Dialogs& dialogs, const std::string& text, const std::string& caption, TMsgKind kind,
           TMsgButtons buttons);

// The key path below which the status windows keep their placements, with the final
// backslash.
std::string GetRegistryKey();

}  // namespace korvalin
