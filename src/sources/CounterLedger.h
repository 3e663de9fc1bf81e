#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace korvalin {

// The octet counters of one interface as one reading found them.
struct OctetCounters {
    std::int32_t index = 0;
    std::uint64_t inOctets = 0;
    std::uint64_t outOctets = 0;

    friend bool operator==(const OctetCounters&, const OctetCounters&) = default;
};

// What a counter counted since its stored reading. A counter that went up counts its
// rise; one that went down was reset, wrapped or re-created and counts its new value,
// which is what it counted since. The rule holds for 32-bit and 64-bit counters alike:
// a 32-bit counter's values never reach 2^32, so its rise is the unsigned difference.
std::uint64_t CounterRise(std::uint64_t stored, std::uint64_t now);

// The last good reading of every interface, kept by interface index, not by list
// position, so interfaces that appear, vanish or move in the list leave the others'
// differences alone. An interface without a stored reading counts nothing in its first
// reading, which becomes its baseline; an interface left out of a reading (its read
// failed) keeps its last good reading and counts nothing.
class CounterLedger {
public:
    // Adds what every read interface counted since its stored reading and stores the
    // new values.
    void Count(std::span<const OctetCounters> reading, std::uint64_t& received,
               std::uint64_t& sent);

    // Drops the stored readings of interfaces that are not in present (sorted or not).
    void Retain(std::span<const std::int32_t> present);

    void Clear() { entries_.clear(); }
    bool Empty() const { return entries_.empty(); }

    // The stored reading of an interface; false when there is none.
    bool Stored(std::int32_t index, OctetCounters& counters) const;
    // Every stored reading, by ascending index.
    const std::vector<OctetCounters>& Entries() const { return entries_; }

private:
    std::vector<OctetCounters> entries_;       // sorted by index
    std::vector<std::int32_t> sortedPresent_;  // kept, so a reading every second reuses it
};

}  // namespace korvalin
