#include "core/TextTools.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <limits>

#include "fakes/FakeDialogs.h"

namespace korvalin {
namespace {

struct FormatCase {
    bool allInByte;
    std::uint8_t decimals;
    bool asBits;
    std::int64_t value;
    const char* expected;
};

class FormatBytesTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatBytesTable, RendersWithGermanSeparators) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatBytes(c.allInByte, c.decimals, c.asBits, c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FormatBytesTable,
    ::testing::Values(
        FormatCase{false, 2, false, 0, "0 Byte"}, FormatCase{false, 2, false, -5, "0 Byte"},
        FormatCase{false, 2, false, 99, "99 Byte"}, FormatCase{false, 2, false, 100, "0,10 KB"},
        FormatCase{false, 2, false, 1023, "1,00 KB"}, FormatCase{false, 2, false, 1536, "1,50 KB"},
        FormatCase{false, 2, false, 1048575, "1.024,00 KB"},
        FormatCase{false, 2, false, 1048576, "1,00 MB"},
        FormatCase{false, 2, false, 123456789, "117,74 MB"},
        FormatCase{false, 2, false, 1073741824, "1,00 GB"},
        FormatCase{false, 2, false, 5000000000, "4,66 GB"},
        FormatCase{true, 2, false, 1234567, "1.234.567 Byte"},
        FormatCase{true, 2, false, 5000000000, "5.000.000.000 Byte"},
        FormatCase{true, 2, false, 999, "999 Byte"}, FormatCase{true, 2, false, 0, "0 Byte"},
        FormatCase{false, 2, true, 1000, "7,81 KBit/s"}, FormatCase{false, 2, true, 12, "96 Bit/s"},
        FormatCase{false, 2, true, 13, "0,10 KBit/s"}, FormatCase{false, 2, true, -1, "0 Bit/s"},
        FormatCase{true, 2, true, 1000, "8.000 Bit/s"},
        FormatCase{false, 2, true, 134217728, "1,00 GBit/s"}));

INSTANTIATE_TEST_SUITE_P(
    DecimalsAndTies, FormatBytesTable,
    ::testing::Values(
        // 1152 bytes are exactly 1.125 KB: the tie rounds away from zero.
        FormatCase{false, 2, false, 1152, "1,13 KB"},
        // 1.5 KB with no decimals: tie, away from zero.
        FormatCase{false, 0, false, 1536, "2 KB"}, FormatCase{false, 0, false, 1535, "1 KB"},
        // 0.99951171875 KB rounds up through every digit.
        FormatCase{false, 3, false, 1023, "0,999 KB"}, FormatCase{false, 1, false, 1023, "1,0 KB"},
        FormatCase{false, 5, false, 1536, "1,50000 KB"},
        // Rounding that carries into a new thousands group.
        FormatCase{false, 1, false, 1048575, "1.024,0 KB"},
        FormatCase{false, 2, false, std::numeric_limits<std::int64_t>::max(),
                   "8.589.934.592,00 GB"},
        FormatCase{false, 2, false, std::numeric_limits<std::int64_t>::min(), "0 Byte"}));

struct FormatIntCase {
    bool allInByte;
    bool asBits;
    std::int64_t value;
    const char* expected;
};

class FormatBytesIntTable : public ::testing::TestWithParam<FormatIntCase> {};

TEST_P(FormatBytesIntTable, TruncatesToWholeUnits) {
    const FormatIntCase& c = GetParam();
    EXPECT_EQ(FormatBytesInt(c.allInByte, c.asBits, c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FormatBytesIntTable,
    ::testing::Values(
        FormatIntCase{false, false, 0, "0 Byte"}, FormatIntCase{false, false, 99, "99 Byte"},
        FormatIntCase{false, false, 100, "0 KB"}, FormatIntCase{false, false, 1023, "0 KB"},
        FormatIntCase{false, false, 1024, "1 KB"}, FormatIntCase{false, false, 1048575, "1023 KB"},
        FormatIntCase{false, false, 1048576, "1 MB"},
        FormatIntCase{false, false, 123456789, "117 MB"},
        FormatIntCase{false, false, 5000000000, "4 GB"}, FormatIntCase{false, false, -7, "0 Byte"},
        FormatIntCase{true, false, 1234567, "1234567 Byte"},
        FormatIntCase{false, true, 128, "1 KBit/s"}, FormatIntCase{false, true, 12, "96 Bit/s"},
        FormatIntCase{false, true, -3, "0 Bit/s"},
        // The bit conversion of the largest count does not overflow.
        FormatIntCase{false, true, std::numeric_limits<std::int64_t>::max(), "68719476735 GBit/s"},
        FormatIntCase{true, false, std::numeric_limits<std::int64_t>::max(),
                      "9223372036854775807 Byte"}));

TEST(FormatBytesLocale, IgnoresTheProcessLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_ALL, "en_US.UTF-8") == nullptr &&
        std::setlocale(LC_ALL, "C.UTF-8") == nullptr) {
        GTEST_SKIP() << "no other locale installed";
    }
    EXPECT_EQ(FormatBytes(false, 2, false, 1048575), "1.024,00 KB");
    EXPECT_EQ(FormatBytes(true, 2, false, 1234567), "1.234.567 Byte");
    std::setlocale(LC_ALL, saved.c_str());
}

struct SplitCase {
    const char* text;
    const char* separator;
    StringArray expected;
};

class SplitStringTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitStringTable, Splits) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(SplitString(c.text, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, SplitStringTable,
                         ::testing::Values(SplitCase{"a;b;;c;", ";", {"a", "b", "", "c"}},
                                           SplitCase{";a", ";", {"", "a"}},
                                           SplitCase{"abc", ";", {"abc"}}, SplitCase{"", ";", {}},
                                           SplitCase{";", ";", {""}},
                                           SplitCase{"1.3.6.1", ".", {"1", "3", "6", "1"}},
                                           SplitCase{"a::b::::c", "::", {"a", "b", "", "c"}},
                                           SplitCase{"a:b", "::", {"a:b"}},
                                           SplitCase{"abc", "", {"abc"}}, SplitCase{"", "", {}}));

struct UpperCase {
    const char* text;
    const char* expected;
};

class UpperCaseGermanTable : public ::testing::TestWithParam<UpperCase> {};

TEST_P(UpperCaseGermanTable, UpperCasesLettersAndUmlautsOnly) {
    EXPECT_EQ(UpperCaseGerman(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, UpperCaseGermanTable,
    ::testing::Values(UpperCase{"straße über", "STRAßE ÜBER"}, UpperCase{"äöü", "ÄÖÜ"},
                      UpperCase{"ÄÖÜ", "ÄÖÜ"}, UpperCase{"/opt/korvalin/bin", "/OPT/KORVALIN/BIN"},
                      // Other accented letters and digits stay as they are.
                      UpperCase{"é à ç 1-9_", "é à ç 1-9_"}, UpperCase{"", ""},
                      // A lone lead byte at the end or invalid sequences are copied.
                      UpperCase{"a\xC3", "A\xC3"}, UpperCase{"\xE4x", "\xE4X"},
                      // A lead byte that starts no sequence leaves the next byte its own
                      // (\303 is 0xC3, written in octal where a letter follows).
                      UpperCase{"\303abc", "\303ABC"}, UpperCase{"\303\303a", "\303\303A"},
                      UpperCase{"\303z\xC3\xB6", "\303Z\xC3\x96"},
                      UpperCase{"\xC3\xC3\xA4", "\xC3\xC3\x84"}));

struct MsgBoxCase {
    TMsgKind kind;
    TMsgButtons buttons;
    const char* caption;
    const char* shownCaption;
    unsigned style;
};

class MsgBoxTable : public ::testing::TestWithParam<MsgBoxCase> {};

TEST_P(MsgBoxTable, ComposesCaptionAndStyle) {
    const MsgBoxCase& c = GetParam();
    testing::FakeDialogs dialogs;
    MsgBox(dialogs, "Text", c.caption, c.kind, c.buttons);
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_EQ(dialogs.messages[0].text, "Text");
    EXPECT_EQ(dialogs.messages[0].caption, c.shownCaption);
    EXPECT_EQ(dialogs.messages[0].style, c.style);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MsgBoxTable,
    ::testing::Values(MsgBoxCase{mkError, {btnOK}, "", "Fehler", 0x10030},
                      MsgBoxCase{mkInformation, {btnOK}, "", "Information", 0x10040},
                      MsgBoxCase{mkQuestion, {btnYesNo}, "", "Frage", 0x10024},
                      MsgBoxCase{mkWarning, {btnOKCancel}, "", "Warnung", 0x10011},
                      MsgBoxCase{mkConfirmation, {btnYesNoCancel}, "", "Bestätigung", 0x10023},
                      MsgBoxCase{mkError, {btnRetryCancel}, "Korvalin", "Korvalin", 0x10035},
                      MsgBoxCase{mkError, {btnAbortRetryIgnore}, "", "Fehler", 0x10032},
                      MsgBoxCase{mkInformation, {}, "", "Information", 0x10040},
                      // Several members add their styles.
                      MsgBoxCase{
                          mkInformation, {btnOKCancel, btnYesNo}, "", "Information", 0x10045},
                      MsgBoxCase{static_cast<TMsgKind>(9), {btnOK}, "", "", 0x10000}));

TEST(MsgBox, ReturnsTheButtonPressed) {
    testing::FakeDialogs dialogs;
    dialogs.answers = {IdYes, IdNo};
    EXPECT_EQ(MsgBox(dialogs, "Weiter?", "", mkConfirmation, {btnYesNo}), 6);
    EXPECT_EQ(MsgBox(dialogs, "Weiter?", "", mkConfirmation, {btnYesNo}), 7);
}

TEST(GetRegistryKey, IsTheProgramsKeyPathWithFinalBackslash) {
    EXPECT_EQ(GetRegistryKey(), "Software\\Halvesund Software\\Korvalin\\");
}

}  // namespace
}  // namespace korvalin
