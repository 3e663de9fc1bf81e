#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "snmp/Ber.h"
#include "snmp/ObjectIdentifier.h"

namespace korvalin::snmp {

// BER encoding with definite lengths in their shortest form. A constructed value is
// encoded from its finished children, so no length is ever patched afterwards.
namespace ber {

Bytes Element(std::uint8_t elementTag, std::span<const std::uint8_t> content);
Bytes Constructed(std::uint8_t elementTag, std::initializer_list<Bytes> children);

// Two's complement in the fewest octets that keep the sign.
Bytes Integer(std::uint8_t elementTag, std::int64_t value);
// Unsigned, with a leading zero octet where the top bit is set.
Bytes Unsigned(std::uint8_t elementTag, std::uint64_t value);
Bytes OctetString(std::uint8_t elementTag, std::string_view bytes);
Bytes Null();
Bytes ObjectIdentifierElement(const ObjectIdentifier& identifier);

// Only the length octets, for callers that write a header themselves.
Bytes Length(std::size_t length);

}  // namespace ber

}  // namespace korvalin::snmp
