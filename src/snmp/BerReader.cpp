#include "snmp/BerReader.h"

#include <string>

namespace korvalin::snmp {

namespace {

// Lengths are at most four octets long: no datagram comes near 4 GiB.
constexpr std::size_t MaxLengthOctets = 4;

// The largest value that can still take seven more bits without leaving 32 bits.
constexpr std::uint32_t MaxBeforeShift = UINT32_MAX >> 7;

}  // namespace

BerReader::BerReader(std::span<const std::uint8_t> data, int depth) : data_(data), depth_(depth) {}

Result<std::uint8_t> BerReader::ReadTag() {
    if (position_ >= data_.size()) {
        return MakeError(ErrorCode::Truncated,
                         "tag expected at offset " + std::to_string(position_));
    }
    const std::uint8_t identifier = data_[position_];
    if ((identifier & tag::HighTagNumberForm) == tag::HighTagNumberForm) {
        return MakeError(ErrorCode::UnexpectedTag,
                         "multi-octet tag at offset " + std::to_string(position_));
    }
    ++position_;
    return identifier;
}

Result<std::size_t> BerReader::ReadLength() {
    if (position_ >= data_.size()) {
        return MakeError(ErrorCode::Truncated,
                         "length expected at offset " + std::to_string(position_));
    }
    const std::uint8_t first = data_[position_++];
    if (first < 0x80) {
        return std::size_t{first};
    }
    if (first == 0x80) {
        return MakeError(ErrorCode::IndefiniteLength, "at offset " + std::to_string(position_ - 1));
    }
    const std::size_t octets = first & 0x7F;
    if (octets > MaxLengthOctets) {
        return MakeError(ErrorCode::LengthTooLong, std::to_string(octets) + " length octets");
    }
    if (data_.size() - position_ < octets) {
        return MakeError(ErrorCode::Truncated, "length octets cut off");
    }
    std::size_t length = 0;
    for (std::size_t i = 0; i < octets; ++i) {
        length = (length << 8) | data_[position_++];
    }
    return length;
}

Result<BerElement> BerReader::Next() {
    auto identifier = ReadTag();
    if (!identifier) {
        return identifier.GetError();
    }
    auto length = ReadLength();
    if (!length) {
        return length.GetError();
    }
    const std::size_t left = data_.size() - position_;
    if (length.Value() > left) {
        return MakeError(ErrorCode::LengthBeyondData, "length " + std::to_string(length.Value()) +
                                                          " with " + std::to_string(left) +
                                                          " bytes left");
    }
    BerElement element{identifier.Value(), data_.subspan(position_, length.Value())};
    position_ += length.Value();
    return element;
}

Result<BerElement> BerReader::Expect(std::uint8_t expectedTag) {
    const std::size_t start = position_;
    auto element = Next();
    if (element && element.Value().tag != expectedTag) {
        return MakeError(ErrorCode::UnexpectedTag,
                         "tag " + std::to_string(element.Value().tag) + " instead of " +
                             std::to_string(expectedTag) + " at offset " + std::to_string(start));
    }
    return element;
}

Result<BerReader> BerReader::Enter(std::uint8_t expectedTag) {
    if (depth_ + 1 > MaxNestingDepth) {
        return MakeError(ErrorCode::NestingTooDeep,
                         "deeper than " + std::to_string(MaxNestingDepth));
    }
    auto element = Expect(expectedTag);
    if (!element) {
        return element.GetError();
    }
    return BerReader(element.Value().content, depth_ + 1);
}

Status BerReader::ExpectEnd() const {
    if (!AtEnd()) {
        return MakeError(ErrorCode::TrailingData,
                         std::to_string(data_.size() - position_) + " bytes after the end");
    }
    return Done{};
}

Result<std::int64_t> DecodeInteger(std::span<const std::uint8_t> content) {
    if (content.empty()) {
        return MakeError(ErrorCode::EmptyInteger);
    }
    if (content.size() > sizeof(std::int64_t)) {
        return MakeError(ErrorCode::IntegerTooLarge, std::to_string(content.size()) + " octets");
    }
    // Sign-extend from the first octet, then shift the rest in as unsigned bits.
    std::uint64_t bits = (content[0] & 0x80) != 0 ? UINT64_MAX : 0;
    for (const std::uint8_t octet : content) {
        bits = (bits << 8) | octet;
    }
    return static_cast<std::int64_t>(bits);
}

Result<ObjectIdentifier> DecodeObjectIdentifier(std::span<const std::uint8_t> content) {
    if (content.empty()) {
        return MakeError(ErrorCode::ObjectIdentifierMalformed, "no sub-identifiers");
    }
    ObjectIdentifier identifier;
    std::uint32_t value = 0;
    bool inside = false;
    for (const std::uint8_t octet : content) {
        if (!inside && octet == 0x80) {
            return MakeError(ErrorCode::ObjectIdentifierMalformed, "padded sub-identifier");
        }
        if (value > MaxBeforeShift) {
            return MakeError(ErrorCode::ObjectIdentifierOverflow);
        }
        value = (value << 7) | (octet & 0x7F);
        inside = (octet & 0x80) != 0;
        if (inside) {
            continue;
        }
        if (identifier.empty()) {
            // The first sub-identifier holds the first two arcs (X * 40 + Y, X at most 2).
            const std::uint32_t first = value < 80 ? value / 40 : 2;
            identifier.push_back(first);
            identifier.push_back(value - first * 40);
        } else {
            identifier.push_back(value);
        }
        if (identifier.size() > MaxObjectIdentifierLength) {
            return MakeError(ErrorCode::ObjectIdentifierTooLong);
        }
        value = 0;
    }
    if (inside) {
        return MakeError(ErrorCode::ObjectIdentifierMalformed, "last sub-identifier unterminated");
    }
    return identifier;
}

Status ValidateConstructed(const BerElement& element, int depth) {
    if (depth + 1 > MaxNestingDepth) {
        return MakeError(ErrorCode::NestingTooDeep,
                         "deeper than " + std::to_string(MaxNestingDepth));
    }
    BerReader reader(element.content, depth + 1);
    while (!reader.AtEnd()) {
        auto child = reader.Next();
        if (!child) {
            return child.GetError();
        }
        if (child.Value().Constructed()) {
            if (auto valid = ValidateConstructed(child.Value(), depth + 1); !valid) {
                return valid;
            }
        }
    }
    return Done{};
}

}  // namespace korvalin::snmp
