#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvalin::snmp {

using Bytes = std::vector<std::uint8_t>;

// Identifier octets of the types an SNMP version 1 message is built from (X.690 and the
// application types of RFC 1155).
namespace tag {
constexpr std::uint8_t Integer = 0x02;
constexpr std::uint8_t OctetString = 0x04;
constexpr std::uint8_t Null = 0x05;
constexpr std::uint8_t ObjectIdentifier = 0x06;
constexpr std::uint8_t Sequence = 0x30;
constexpr std::uint8_t IpAddress = 0x40;
constexpr std::uint8_t Counter32 = 0x41;
constexpr std::uint8_t Gauge32 = 0x42;
constexpr std::uint8_t TimeTicks = 0x43;
constexpr std::uint8_t Opaque = 0x44;
constexpr std::uint8_t Counter64 = 0x46;
constexpr std::uint8_t GetRequest = 0xA0;
constexpr std::uint8_t GetNextRequest = 0xA1;
constexpr std::uint8_t GetResponse = 0xA2;
constexpr std::uint8_t SetRequest = 0xA3;

// Bit 6 of the identifier octet marks a constructed encoding.
constexpr std::uint8_t ConstructedBit = 0x20;
// Low five bits all set announce a tag number in further octets.
constexpr std::uint8_t HighTagNumberForm = 0x1F;
}  // namespace tag

// Constructed values deeper than this are rejected; an SNMP message needs five levels.
constexpr int MaxNestingDepth = 16;

// RFC 2578 allows at most 128 sub-identifiers in an object identifier.
constexpr std::size_t MaxObjectIdentifierLength = 128;

}  // namespace korvalin::snmp
