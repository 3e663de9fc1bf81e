#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvalin::snmp {

// The PDU kinds of SNMP version 1 that this client sends or understands.
enum class PduType : std::uint8_t {
    GetRequest = 0xA0,
    GetNextRequest = 0xA1,
    GetResponse = 0xA2,
    SetRequest = 0xA3,
};

enum class ValueType : std::uint8_t {
    Integer = 0x02,
    OctetString = 0x04,
    Null = 0x05,
    ObjectIdentifier = 0x06,
    IpAddress = 0x40,
    Counter32 = 0x41,
    Gauge32 = 0x42,
    TimeTicks = 0x43,
    Opaque = 0x44,
    Counter64 = 0x46,
    // Any other tag: kept as its tag, with empty text.
    Other = 0xFF,
};

// A value as text, the way the agent access uses it: INTEGER in signed decimal;
// Counter32, Gauge32, TimeTicks (and Counter64) in unsigned decimal; OCTET STRING and
// Opaque as their bytes unchanged; OBJECT IDENTIFIER dotted; IpAddress as a dotted quad;
// NULL and unknown types empty.
struct Value {
    ValueType type = ValueType::Null;
    std::string text;
    std::uint8_t rawTag = static_cast<std::uint8_t>(ValueType::Null);

    static Value Null() { return {}; }
    static Value Integer(std::int32_t number) {
        return {ValueType::Integer, std::to_string(number), 0x02};
    }
    static Value OctetString(std::string bytes) {
        return {ValueType::OctetString, std::move(bytes), 0x04};
    }
    static Value Unsigned(ValueType type, std::uint32_t number) {
        return {type, std::to_string(number), static_cast<std::uint8_t>(type)};
    }
    static Value ObjectIdentifier(std::string dotted) {
        return {ValueType::ObjectIdentifier, std::move(dotted), 0x06};
    }
    static Value IpAddress(std::string dottedQuad) {
        return {ValueType::IpAddress, std::move(dottedQuad), 0x40};
    }

    friend bool operator==(const Value&, const Value&) = default;
};

struct VarBind {
    std::string oid;  // dotted decimal
    Value value;

    friend bool operator==(const VarBind&, const VarBind&) = default;
};

// One SNMP version 1 message (RFC 1157): the request record the client sends and the
// reply record it receives.
struct Message {
    std::int32_t version = 0;  // 0 is SNMP version 1
    std::string community;
    PduType pduType = PduType::GetRequest;
    std::int32_t requestId = 0;
    std::int32_t errorStatus = 0;
    std::int32_t errorIndex = 0;
    std::vector<VarBind> varbinds;

    // Back to the empty state: version 1, no community, GetRequest, no varbinds.
    void Clear() { *this = Message{}; }

    friend bool operator==(const Message&, const Message&) = default;
};

}  // namespace korvalin::snmp
