#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "snmp/Ber.h"
#include "snmp/ObjectIdentifier.h"
#include "snmp/Result.h"

namespace korvalin::snmp {

// One tag-length-value element; content is a view into the reader's data.
struct BerElement {
    std::uint8_t tag = 0;
    std::span<const std::uint8_t> content;

    bool Constructed() const { return (tag & tag::ConstructedBit) != 0; }
};

// Reads BER elements (definite lengths only) from a bounded view. Every length is
// checked against the bytes that are really left, so nothing is read past the view.
// Entering a constructed element gives a reader over exactly its content, one level
// deeper; levels beyond MaxNestingDepth are refused.
class BerReader {
public:
    explicit BerReader(std::span<const std::uint8_t> data, int depth = 0);

    bool AtEnd() const { return position_ == data_.size(); }
    int Depth() const { return depth_; }

    // The next element, whatever its tag.
    Result<BerElement> Next();

    // The next element, which must carry the given tag.
    Result<BerElement> Expect(std::uint8_t expectedTag);

    // A reader over the content of the next element, a constructed one with the given tag.
    Result<BerReader> Enter(std::uint8_t expectedTag);

    // Fails with TrailingData unless every byte has been read.
    Status ExpectEnd() const;

private:
    Result<std::uint8_t> ReadTag();
    Result<std::size_t> ReadLength();

    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
    int depth_ = 0;
};

// Content decoders for primitive elements.

// A two's-complement integer of 1..8 content octets.
Result<std::int64_t> DecodeInteger(std::span<const std::uint8_t> content);

// An object identifier's sub-identifiers, the first split into the first two arcs.
Result<ObjectIdentifier> DecodeObjectIdentifier(std::span<const std::uint8_t> content);

// Checks that a constructed element's content is a well-formed series of elements,
// descending at most to MaxNestingDepth (for values this client does not interpret).
Status ValidateConstructed(const BerElement& element, int depth);

}  // namespace korvalin::snmp
