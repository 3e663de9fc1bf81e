#include "snmp/BerWriter.h"

namespace korvalin::snmp::ber {

namespace {

void AppendBase128(Bytes& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    }
    out.push_back(groups[0]);
}

}  // namespace

Bytes Length(std::size_t length) {
    if (length < 0x80) {
        return Bytes{static_cast<std::uint8_t>(length)};
    }
    Bytes octets;
    for (std::size_t rest = length; rest != 0; rest >>= 8) {
        octets.insert(octets.begin(), static_cast<std::uint8_t>(rest & 0xFF));
    }
    octets.insert(octets.begin(), static_cast<std::uint8_t>(0x80 | octets.size()));
    return octets;
}

Bytes Element(std::uint8_t elementTag, std::span<const std::uint8_t> content) {
    Bytes out{elementTag};
    const Bytes length = Length(content.size());
    out.insert(out.end(), length.begin(), length.end());
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Bytes Constructed(std::uint8_t elementTag, std::initializer_list<Bytes> children) {
    Bytes content;
    for (const Bytes& child : children) {
        content.insert(content.end(), child.begin(), child.end());
    }
    return Element(elementTag, content);
}

Bytes Integer(std::uint8_t elementTag, std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    int octets = 8;
    // Drop a leading octet while the next one's top bit still carries the sign.
    while (octets > 1) {
        const auto leading = static_cast<std::uint8_t>(bits >> ((octets - 1) * 8));
        const bool nextNegative = ((bits >> ((octets - 2) * 8)) & 0x80) != 0;
        if ((leading == 0x00 && !nextNegative) || (leading == 0xFF && nextNegative)) {
            --octets;
        } else {
            break;
        }
    }
    Bytes content;
    for (int i = octets - 1; i >= 0; --i) {
        content.push_back(static_cast<std::uint8_t>(bits >> (i * 8)));
    }
    return Element(elementTag, content);
}

Bytes Unsigned(std::uint8_t elementTag, std::uint64_t value) {
    Bytes content;
    do {
        content.insert(content.begin(), static_cast<std::uint8_t>(value & 0xFF));
        value >>= 8;
    } while (value != 0);
    if ((content.front() & 0x80) != 0) {
        content.insert(content.begin(), 0x00);
    }
    return Element(elementTag, content);
}

Bytes OctetString(std::uint8_t elementTag, std::string_view bytes) {
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return Element(elementTag, std::span<const std::uint8_t>(first, bytes.size()));
}

Bytes Null() {
    return Bytes{tag::Null, 0x00};
}

Bytes ObjectIdentifierElement(const ObjectIdentifier& identifier) {
    Bytes content;
    if (identifier.size() >= 2) {
        AppendBase128(content, identifier[0] * 40 + identifier[1]);
        for (std::size_t i = 2; i < identifier.size(); ++i) {
            AppendBase128(content, identifier[i]);
        }
    }
    return Element(tag::ObjectIdentifier, content);
}

}  // namespace korvalin::snmp::ber
