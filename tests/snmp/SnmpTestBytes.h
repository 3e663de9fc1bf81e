#pragma once

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>

#include "snmp/Ber.h"
#include "snmp/BerWriter.h"

namespace korvalin::snmp::testing {

// "30 05 02 01 00" -> bytes.
inline Bytes Hex(const std::string& text) {
    Bytes bytes;
    std::istringstream in(text);
    std::string pair;
    while (in >> pair) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
    }
    return bytes;
}

inline std::string ToHex(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

// An element with the given tag around raw content (lengths computed, content crafted).
inline Bytes Wrap(std::uint8_t elementTag, std::initializer_list<Bytes> parts) {
    return ber::Element(elementTag, Join(parts));
}

inline Bytes Int(std::int64_t value) {
    return ber::Integer(tag::Integer, value);
}
inline Bytes Text(const std::string& text) {
    return ber::OctetString(tag::OctetString, text);
}

// A version 1 message around a PDU of the given tag whose header fields and varbind
// list are given raw.
inline Bytes MessageAround(const Bytes& pduContent, std::uint8_t pduTag = tag::GetResponse,
                           const Bytes& version = Int(0)) {
    return Wrap(tag::Sequence, {version, Text("public"), ber::Element(pduTag, pduContent)});
}

// A GetResponse with request-id 7 and one varbind of the given OID and raw value bytes.
inline Bytes ResponseWithValue(const Bytes& value,
                               const Bytes& oid = Hex("06 08 2b 06 01 02 01 01 01 00")) {
    return MessageAround(
        Join({Int(7), Int(0), Int(0), Wrap(tag::Sequence, {Wrap(tag::Sequence, {oid, value})})}));
}

}  // namespace korvalin::snmp::testing
