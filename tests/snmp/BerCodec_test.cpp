#include <gtest/gtest.h>

#include "snmp/BerReader.h"
#include "snmp/BerWriter.h"
#include "snmp/ObjectIdentifier.h"
#include "snmp/SnmpTestBytes.h"

namespace korvalin::snmp {
namespace {

using testing::Hex;
using testing::ToHex;

TEST(BerEncoding, IntegersTakeTheFewestOctetsThatKeepTheSign) {
    const struct {
        std::int64_t value;
        const char* bytes;
    } cases[] = {
        {0, "02 01 00"},
        {127, "02 01 7f"},
        {128, "02 02 00 80"},
        {256, "02 02 01 00"},
        {-1, "02 01 ff"},
        {-128, "02 01 80"},
        {-129, "02 02 ff 7f"},
        {2147483647, "02 04 7f ff ff ff"},
        {-2147483648LL, "02 04 80 00 00 00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToHex(ber::Integer(tag::Integer, c.value)), c.bytes) << c.value;
        const Bytes encoded = ber::Integer(tag::Integer, c.value);
        auto back = DecodeInteger(std::span(encoded).subspan(2));
        ASSERT_TRUE(back);
        EXPECT_EQ(back.Value(), c.value);
    }
}

TEST(BerEncoding, UnsignedValuesGetALeadingZeroWhenTheTopBitIsSet) {
    EXPECT_EQ(ToHex(ber::Unsigned(tag::Counter32, 0)), "41 01 00");
    EXPECT_EQ(ToHex(ber::Unsigned(tag::Counter32, 255)), "41 02 00 ff");
    EXPECT_EQ(ToHex(ber::Unsigned(tag::Counter32, 4294967295u)), "41 05 00 ff ff ff ff");
}

TEST(BerEncoding, LengthsUseTheShortFormBelow128AndTheFewestOctetsAbove) {
    EXPECT_EQ(ToHex(ber::Length(0)), "00");
    EXPECT_EQ(ToHex(ber::Length(127)), "7f");
    EXPECT_EQ(ToHex(ber::Length(128)), "81 80");
    EXPECT_EQ(ToHex(ber::Length(255)), "81 ff");
    EXPECT_EQ(ToHex(ber::Length(256)), "82 01 00");
    EXPECT_EQ(ToHex(ber::Length(65535)), "82 ff ff");
}

TEST(BerEncoding, ObjectIdentifiersPackTheFirstTwoArcsAndUseBase128) {
    const struct {
        const char* dotted;
        const char* bytes;
    } cases[] = {
        {"1.3.6.1.2.1.1.1.0", "06 08 2b 06 01 02 01 01 01 00"},
        {"1.3.6.1.4.1.8072", "06 07 2b 06 01 04 01 bf 08"},
        {"1.3.4294967295", "06 06 2b 8f ff ff ff 7f"},
        {"2.999", "06 02 88 37"},
        {"0.0", "06 01 00"},
    };
    for (const auto& c : cases) {
        auto parsed = ParseObjectIdentifier(c.dotted);
        ASSERT_TRUE(parsed) << c.dotted;
        const Bytes encoded = ber::ObjectIdentifierElement(parsed.Value());
        EXPECT_EQ(ToHex(encoded), c.bytes) << c.dotted;
        auto back = DecodeObjectIdentifier(std::span(encoded).subspan(2));
        ASSERT_TRUE(back) << c.dotted;
        EXPECT_EQ(FormatObjectIdentifier(back.Value()), c.dotted);
    }
}

TEST(ObjectIdentifierText, RefusesWhatIsNoDottedIdentifier) {
    const char* const refused[] = {
        "",     "1",      ".1.3.6",         "1.3.6.", "1..3", "1.3.x",        "3.1",
        "1.40", "1.3.-1", "1.3.4294967296", "1.3.6 ", "+1.3", "2.4294967216",
    };
    for (const char* text : refused) {
        EXPECT_FALSE(ParseObjectIdentifier(text)) << "'" << text << "'";
    }
    std::string longest = "1.3";
    for (int i = 2; i < 128; ++i) {
        longest += ".1";
    }
    EXPECT_TRUE(ParseObjectIdentifier(longest));
    EXPECT_FALSE(ParseObjectIdentifier(longest + ".1"));
}

TEST(BerReader, EnteringAConstructedElementBoundsTheChildReader) {
    // The sequence holds one integer; the integer after it belongs to the outer level.
    const Bytes data = Hex("30 03 02 01 05 02 01 06");
    BerReader outer(data);
    auto inner = outer.Enter(tag::Sequence);
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner.Value().Depth(), 1);
    auto first = inner.Value().Expect(tag::Integer);
    ASSERT_TRUE(first);
    EXPECT_TRUE(inner.Value().AtEnd());
    EXPECT_FALSE(inner.Value().Next());
    EXPECT_EQ(outer.ExpectEnd().GetError().code, ErrorCode::TrailingData);
    EXPECT_TRUE(outer.Expect(tag::Integer));
    EXPECT_TRUE(outer.ExpectEnd());
}

TEST(BerReader, RefusesToEnterBeyondTheNestingLimit) {
    const Bytes data = Hex("30 00");
    BerReader deepest(data, MaxNestingDepth);
    auto entered = deepest.Enter(tag::Sequence);
    ASSERT_FALSE(entered);
    EXPECT_EQ(entered.GetError().code, ErrorCode::NestingTooDeep);
}

}  // namespace
}  // namespace korvalin::snmp
