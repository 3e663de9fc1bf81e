#include "snmp/MessageCodec.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "snmp/BerWriter.h"
#include "snmp/SnmpTestBytes.h"

namespace korvalin::snmp {
namespace {

using testing::Hex;
using testing::Int;
using testing::Join;
using testing::MessageAround;
using testing::ResponseWithValue;
using testing::Text;
using testing::ToHex;
using testing::Wrap;

Bytes NestedSequences(int depth) {
    Bytes inner = ber::Null();
    for (int i = 0; i < depth; ++i) {
        inner = ber::Element(tag::Sequence, inner);
    }
    return inner;
}

Bytes LongOid(std::size_t subIdentifiers) {
    Bytes content{0x2b};
    content.resize(subIdentifiers, 0x01);
    return ber::Element(tag::ObjectIdentifier, content);
}

TEST(MessageEncoding, GetRequestMatchesTheBytesNetSnmpSends) {
    // Sent by "snmpget -d -v1 -c public 127.0.0.1 1.3.6.1.2.1.1.1.0 1.3.6.1.2.1.2.2.1.10.1".
    const Bytes expected = Hex(
        "30 39 02 01 00 04 06 70 75 62 6c 69 63 a0 2c 02 04 63 a4 7f e5 02 01 00 02 01 00 30 1e "
        "30 0c 06 08 2b 06 01 02 01 01 01 00 05 00 30 0e 06 0a 2b 06 01 02 01 02 02 01 0a 01 05 "
        "00");
    Message request;
    request.community = "public";
    request.requestId = 0x63a47fe5;
    request.varbinds = {{"1.3.6.1.2.1.1.1.0", Value::Null()},
                        {"1.3.6.1.2.1.2.2.1.10.1", Value::Null()}};
    auto encoded = EncodeMessage(request);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(ToHex(encoded.Value()), ToHex(expected));
}

TEST(MessageEncoding, RefusesTextsThatAreNotTheirType) {
    const struct {
        VarBind varbind;
        ErrorCode code;
    } cases[] = {
        {{"1.3.6.1.2.1.1.1.0.", Value::Null()}, ErrorCode::InvalidObjectIdentifier},
        {{"1.3.6.1.2.1.1.1.0", Value{ValueType::Integer, "2147483648", 0x02}},
         ErrorCode::InvalidValueText},
        {{"1.3.6.1.2.1.1.1.0", Value{ValueType::Counter32, "-1", 0x41}},
         ErrorCode::InvalidValueText},
        {{"1.3.6.1.2.1.1.1.0", Value::IpAddress("10.0.0")}, ErrorCode::InvalidValueText},
        {{"1.3.6.1.2.1.1.1.0", Value::IpAddress("10.0.0.256")}, ErrorCode::InvalidValueText},
        {{"1.3.6.1.2.1.1.1.0", Value::ObjectIdentifier("3.1")}, ErrorCode::InvalidObjectIdentifier},
    };
    for (const auto& c : cases) {
        Message message;
        message.varbinds = {c.varbind};
        auto encoded = EncodeMessage(message);
        ASSERT_FALSE(encoded) << c.varbind.oid << " " << c.varbind.value.text;
        EXPECT_EQ(encoded.GetError().code, c.code) << c.varbind.value.text;
    }
}

TEST(MessageCodec, EveryValueTypeSurvivesARoundTrip) {
    Message message;
    message.pduType = PduType::GetResponse;
    message.community = "vindra";
    message.requestId = 2147483647;
    message.errorStatus = 2;
    message.errorIndex = 1;
    message.varbinds = {
        {"1.3.6.1.2.1.2.2.1.1.1", Value::Integer(-2147483647 - 1)},
        {"1.3.6.1.2.1.2.2.1.2.1", Value::OctetString(std::string("eth\0\xff", 5))},
        {"1.3.6.1.2.1.2.2.1.10.1", Value::Unsigned(ValueType::Counter32, 4294967295u)},
        {"1.3.6.1.2.1.2.2.1.5.1", Value::Unsigned(ValueType::Gauge32, 100000000)},
        {"1.3.6.1.2.1.1.3.0", Value::Unsigned(ValueType::TimeTicks, 2147483648u)},
        {"1.3.6.1.2.1.1.2.0", Value::ObjectIdentifier("1.3.6.1.4.1.8072.3.2.10")},
        {"1.3.6.1.2.1.4.20.1.1.127.0.0.1", Value::IpAddress("127.0.0.1")},
        {"2.999.4294967295", Value::Null()},
        {"1.3.6.1.2.1.31.1.1.1.6.1",
         Value{ValueType::Counter64, "18446744073709551615", tag::Counter64}},
    };
    auto encoded = EncodeMessage(message);
    ASSERT_TRUE(encoded);
    auto decoded = DecodeMessage(encoded.Value());
    ASSERT_TRUE(decoded) << Describe(decoded.GetError().code) << " " << decoded.GetError().detail;
    EXPECT_EQ(decoded.Value(), message);
}

TEST(MessageDecoding, ValuesComeBackAsTheirTexts) {
    const struct {
        const char* value;
        ValueType type;
        std::string text;
    } cases[] = {
        {"02 01 ff", ValueType::Integer, "-1"},
        {"02 01 7f", ValueType::Integer, "127"},
        {"02 04 80 00 00 00", ValueType::Integer, "-2147483648"},
        {"41 05 00 ff ff ff ff", ValueType::Counter32, "4294967295"},
        {"41 05 00 80 00 00 00", ValueType::Counter32, "2147483648"},
        // Written without the leading zero by some agents: still the unsigned value.
        {"41 04 80 00 00 00", ValueType::Counter32, "2147483648"},
        {"42 01 00", ValueType::Gauge32, "0"},
        {"43 03 01 00 00", ValueType::TimeTicks, "65536"},
        {"04 03 00 01 ff", ValueType::OctetString, std::string("\0\x01\xff", 3)},
        {"04 00", ValueType::OctetString, ""},
        {"06 03 2b 06 01", ValueType::ObjectIdentifier, "1.3.6.1"},
        {"06 06 2b 8f ff ff ff 7f", ValueType::ObjectIdentifier, "1.3.4294967295"},
        {"06 02 88 37", ValueType::ObjectIdentifier, "2.999"},
        {"40 04 c0 a8 01 fe", ValueType::IpAddress, "192.168.1.254"},
        {"05 00", ValueType::Null, ""},
        {"46 09 00 ff ff ff ff ff ff ff ff", ValueType::Counter64, "18446744073709551615"},
        {"44 02 ab cd", ValueType::Opaque, "\xab\xcd"},
        {"80 00", ValueType::Other, ""},
        {"a5 03 02 01 00", ValueType::Other, ""},
    };
    for (const auto& c : cases) {
        auto decoded = DecodeMessage(ResponseWithValue(Hex(c.value)));
        ASSERT_TRUE(decoded) << c.value << ": " << Describe(decoded.GetError().code);
        ASSERT_EQ(decoded.Value().varbinds.size(), 1u);
        EXPECT_EQ(decoded.Value().varbinds[0].value.type, c.type) << c.value;
        EXPECT_EQ(decoded.Value().varbinds[0].value.text, c.text) << c.value;
    }
}

// Agents that leave out the leading zero octet send an unsigned value with its top bit
// set as if it were negative; it must still read as the unsigned number meant.
TEST(MessageDecoding, UnsignedValuesReadUnsignedWithOrWithoutTheLeadingZero) {
    const struct {
        const char* value;
        const char* text;
    } cases[] = {
        {"41 01 c8", "200"},
        {"41 01 80", "128"},
        {"41 01 ff", "255"},
        {"42 01 c8", "200"},
        {"43 01 c8", "200"},
        {"41 02 80 00", "32768"},
        {"42 02 ff ff", "65535"},
        {"43 02 c8 00", "51200"},
        {"41 03 80 00 00", "8388608"},
        {"42 03 ff ff ff", "16777215"},
        {"43 03 c8 00 01", "13107201"},
        {"41 04 80 00 00 00", "2147483648"},
        {"42 04 ff ff ff ff", "4294967295"},
        {"43 04 c8 00 00 00", "3355443200"},
        // The same values as a standard encoder writes them.
        {"41 02 00 c8", "200"},
        {"42 03 00 ff ff", "65535"},
        {"43 05 00 ff ff ff ff", "4294967295"},
        {"41 05 00 80 00 00 00", "2147483648"},
        // Top bit clear: no difference.
        {"41 01 7f", "127"},
        {"42 03 7f ff ff", "8388607"},
        {"43 04 7f ff ff ff", "2147483647"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        auto decoded = DecodeMessage(ResponseWithValue(Hex(c.value)));
        ASSERT_TRUE(decoded) << Describe(decoded.GetError().code);
        ASSERT_EQ(decoded.Value().varbinds.size(), 1u);
        EXPECT_EQ(decoded.Value().varbinds[0].value.text, c.text);
    }
    // INTEGER stays signed.
    auto integer = DecodeMessage(ResponseWithValue(Hex("02 01 c8")));
    ASSERT_TRUE(integer);
    EXPECT_EQ(integer.Value().varbinds[0].value.text, "-56");
}

struct Malformed {
    const char* name;
    Bytes datagram;
    ErrorCode code;
};

std::vector<Malformed> MalformedDatagrams() {
    const Bytes header = Join({Int(7), Int(0), Int(0)});
    const Bytes sysDescr = Hex("06 08 2b 06 01 02 01 01 01 00");
    const Bytes valid = ResponseWithValue(ber::Null());
    Bytes cutShort = valid;
    cutShort.pop_back();
    return {
        {"empty datagram", {}, ErrorCode::Truncated},
        {"tag only", Hex("30"), ErrorCode::Truncated},
        {"cut one byte short", cutShort, ErrorCode::LengthBeyondData},
        {"outer length lies", Hex("30 05 02 01 00"), ErrorCode::LengthBeyondData},
        {"length of 4 GiB", Hex("30 84 ff ff ff ff 02 01 00"), ErrorCode::LengthBeyondData},
        {"length octets cut off", Hex("30 82 01"), ErrorCode::Truncated},
        {"indefinite length", Hex("30 80 02 01 00 00 00"), ErrorCode::IndefiniteLength},
        {"five length octets", Hex("30 85 00 00 00 00 03 02 01 00"), ErrorCode::LengthTooLong},
        {"trailing garbage", Join({valid, Hex("00")}), ErrorCode::TrailingData},
        {"multi-octet tag", Hex("3f 01 00"), ErrorCode::UnexpectedTag},
        {"not a sequence", Hex("31 03 02 01 00"), ErrorCode::UnexpectedTag},
        {"version 2c",
         MessageAround(Join({header, Wrap(tag::Sequence, {})}), tag::GetResponse, Int(1)),
         ErrorCode::UnsupportedVersion},
        {"nine-octet version",
         MessageAround(header, tag::GetResponse, Hex("02 09 00 00 00 00 00 00 00 00 00")),
         ErrorCode::IntegerTooLarge},
        {"empty version", MessageAround(header, tag::GetResponse, Hex("02 00")),
         ErrorCode::EmptyInteger},
        {"community as integer",
         Wrap(tag::Sequence, {Int(0), Int(5), ber::Element(tag::GetResponse, header)}),
         ErrorCode::UnexpectedTag},
        {"trap PDU", MessageAround(header, 0xa4), ErrorCode::UnsupportedPdu},
        {"request-id beyond 32 bits",
         MessageAround(
             Join({Hex("02 05 01 00 00 00 00"), Int(0), Int(0), Wrap(tag::Sequence, {})})),
         ErrorCode::IntegerTooLarge},
        {"varbind list missing", MessageAround(header), ErrorCode::Truncated},
        {"bytes after the varbind list",
         MessageAround(Join({header, Wrap(tag::Sequence, {}), Hex("05 00")})),
         ErrorCode::TrailingData},
        {"varbind of three elements",
         MessageAround(Join(
             {header, Wrap(tag::Sequence, {Wrap(tag::Sequence, {sysDescr, Hex("05 00 05 00")})})})),
         ErrorCode::TrailingData},
        {"varbind without value",
         MessageAround(Join({header, Wrap(tag::Sequence, {Wrap(tag::Sequence, {sysDescr})})})),
         ErrorCode::Truncated},
        {"inner length beyond its sequence",
         MessageAround(Join({header, Wrap(tag::Sequence, {Hex("30 20 06 01 2b")})})),
         ErrorCode::LengthBeyondData},
        {"sub-identifier of 2^32", ResponseWithValue(ber::Null(), Hex("06 06 2b 90 80 80 80 00")),
         ErrorCode::ObjectIdentifierOverflow},
        {"huge sub-identifier",
         ResponseWithValue(ber::Null(), Hex("06 0b 2b ff ff ff ff ff ff ff ff ff 7f")),
         ErrorCode::ObjectIdentifierOverflow},
        {"first sub-identifier of 2^32",
         ResponseWithValue(ber::Null(), Hex("06 05 90 80 80 80 00")),
         ErrorCode::ObjectIdentifierOverflow},
        {"unterminated sub-identifier", ResponseWithValue(ber::Null(), Hex("06 02 2b 81")),
         ErrorCode::ObjectIdentifierMalformed},
        {"padded sub-identifier", ResponseWithValue(ber::Null(), Hex("06 03 2b 80 01")),
         ErrorCode::ObjectIdentifierMalformed},
        {"empty object identifier", ResponseWithValue(ber::Null(), Hex("06 00")),
         ErrorCode::ObjectIdentifierMalformed},
        {"object identifier of 200 arcs", ResponseWithValue(ber::Null(), LongOid(200)),
         ErrorCode::ObjectIdentifierTooLong},
        {"integer value beyond 32 bits", ResponseWithValue(Hex("02 05 00 80 00 00 00")),
         ErrorCode::IntegerTooLarge},
        {"Counter32 beyond 32 bits", ResponseWithValue(Hex("41 05 01 00 00 00 00")),
         ErrorCode::IntegerTooLarge},
        {"Counter32 of nine octets", ResponseWithValue(Hex("41 09 00 00 00 00 00 00 00 00 01")),
         ErrorCode::IntegerTooLarge},
        {"negative Counter32 of five octets", ResponseWithValue(Hex("41 05 ff 00 00 00 00")),
         ErrorCode::IntegerTooLarge},
        {"empty Counter32", ResponseWithValue(Hex("41 00")), ErrorCode::EmptyInteger},
        {"IpAddress of three octets", ResponseWithValue(Hex("40 03 7f 00 01")),
         ErrorCode::MalformedValue},
        {"NULL with content", ResponseWithValue(Hex("05 01 00")), ErrorCode::MalformedValue},
        {"value nested 20 deep", ResponseWithValue(NestedSequences(20)), ErrorCode::NestingTooDeep},
        {"broken element inside a nested value", ResponseWithValue(Hex("30 03 02 05 00")),
         ErrorCode::LengthBeyondData},
    };
}

TEST(MessageDecoding, RefusesMalformedDatagramsAndSaysWhy) {
    for (const Malformed& c : MalformedDatagrams()) {
        auto decoded = DecodeMessage(c.datagram);
        ASSERT_FALSE(decoded) << c.name;
        EXPECT_EQ(Describe(decoded.GetError().code), std::string(Describe(c.code))) << c.name;
    }
}

TEST(MessageDecoding, NeverReadsPastTheDatagramWhenCutAnywhere) {
    // Every prefix of a real answer lives in its own allocation, so a read past its end
    // is an error the sanitizer build reports.
    const Bytes whole = ResponseWithValue(Hex("41 05 00 ff ff ff ff"));
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const Bytes prefix(whole.begin(), whole.begin() + static_cast<long>(length));
        EXPECT_FALSE(DecodeMessage(prefix)) << length;
    }
    EXPECT_TRUE(DecodeMessage(whole));
}

TEST(MessageDecoding, AcceptsTheDeepestValueWithinTheLimit) {
    // The message itself takes four levels; the value may use the rest.
    EXPECT_TRUE(DecodeMessage(ResponseWithValue(NestedSequences(MaxNestingDepth - 4))));
    EXPECT_FALSE(DecodeMessage(ResponseWithValue(NestedSequences(MaxNestingDepth - 3))));
}

Bytes ReadCorpus(const std::string& name) {
    std::ifstream in(std::string(KORVALIN_SOURCE_DIR) + "/fuzz/corpus/" + name + ".bin",
                     std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(MessageDecoding, ReadsAnswersCapturedFromSnmpd) {
    // Captured by fuzz/capture-corpus.sh from net-snmp's agent.
    const struct {
        const char* file;
        const char* oid;
        ValueType type;
        const char* text;  // nullptr: any text
        std::int32_t errorStatus;
    } cases[] = {
        {"sysdescr", "1.3.6.1.2.1.1.1.0", ValueType::OctetString, "Korvalin test agent", 0},
        {"sysobjectid", "1.3.6.1.2.1.1.2.0", ValueType::ObjectIdentifier, "1.3.6.1.4.1.8072.3.2.10",
         0},
        {"sysuptime", "1.3.6.1.2.1.1.3.0", ValueType::TimeTicks, nullptr, 0},
        {"ifnumber", "1.3.6.1.2.1.2.1.0", ValueType::Integer, "3", 0},
        {"ifdescr-lo", "1.3.6.1.2.1.2.2.1.2.1", ValueType::OctetString, "lo", 0},
        {"ifphysaddress", "1.3.6.1.2.1.2.2.1.6.2", ValueType::OctetString, nullptr, 0},
        {"ifspeed", "1.3.6.1.2.1.2.2.1.5.2", ValueType::Gauge32, "4294967295", 0},
        {"ifinoctets", "1.3.6.1.2.1.2.2.1.10.1", ValueType::Counter32, "0", 0},
        {"ipadentaddr", "1.3.6.1.2.1.4.20.1.1.127.0.0.1", ValueType::IpAddress, "127.0.0.1", 0},
        {"walk-first", "1.3.6.1.2.1.2.2.1.1.1", ValueType::Integer, "1", 0},
        {"walk-end", "1.3.6.1.2.1.2.2.1.2.1", ValueType::OctetString, "lo", 0},
        {"nosuchname", "1.3.6.1.2.1.99.1.0", ValueType::Null, "", 2},
    };
    for (const auto& c : cases) {
        auto decoded = DecodeMessage(ReadCorpus(c.file));
        ASSERT_TRUE(decoded) << c.file;
        const Message& message = decoded.Value();
        EXPECT_EQ(message.pduType, PduType::GetResponse) << c.file;
        EXPECT_EQ(message.community, "capture") << c.file;
        EXPECT_EQ(message.errorStatus, c.errorStatus) << c.file;
        ASSERT_EQ(message.varbinds.size(), 1u) << c.file;
        EXPECT_EQ(message.varbinds[0].oid, c.oid) << c.file;
        EXPECT_EQ(message.varbinds[0].value.type, c.type) << c.file;
        if (c.text != nullptr) {
            EXPECT_EQ(message.varbinds[0].value.text, c.text) << c.file;
        }
    }
    auto physical = DecodeMessage(ReadCorpus("ifphysaddress"));
    ASSERT_TRUE(physical);
    EXPECT_EQ(physical.Value().varbinds[0].value.text.size(), 6u) << "six raw bytes";
    auto pair = DecodeMessage(ReadCorpus("octets-pair"));
    ASSERT_TRUE(pair);
    ASSERT_EQ(pair.Value().varbinds.size(), 2u);
    EXPECT_EQ(pair.Value().varbinds[1].oid, "1.3.6.1.2.1.2.2.1.16.1");
}

}  // namespace
}  // namespace korvalin::snmp
