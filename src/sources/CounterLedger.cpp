#include "sources/CounterLedger.h"

#include <algorithm>

namespace korvalin {

namespace {

bool ByIndex(const OctetCounters& counters, std::int32_t index) {
    return counters.index < index;
}

}  // namespace

std::uint64_t CounterRise(std::uint64_t stored, std::uint64_t now) {
    return now >= stored ? now - stored : now;
}

void CounterLedger::Count(std::span<const OctetCounters> reading, std::uint64_t& received,
                          std::uint64_t& sent) {
    for (const OctetCounters& now : reading) {
        const auto place = std::lower_bound(entries_.begin(), entries_.end(), now.index, ByIndex);
        if (place == entries_.end() || place->index != now.index) {
            entries_.insert(place, now);
            continue;
        }
        received += CounterRise(place->inOctets, now.inOctets);
        sent += CounterRise(place->outOctets, now.outOctets);
        *place = now;
    }
}

void CounterLedger::Retain(std::span<const std::int32_t> present) {
    sortedPresent_.assign(present.begin(), present.end());
    std::sort(sortedPresent_.begin(), sortedPresent_.end());
    std::erase_if(entries_, [this](const OctetCounters& entry) {
        return !std::binary_search(sortedPresent_.begin(), sortedPresent_.end(), entry.index);
    });
}

bool CounterLedger::Stored(std::int32_t index, OctetCounters& counters) const {
    const auto place = std::lower_bound(entries_.begin(), entries_.end(), index, ByIndex);
    if (place == entries_.end() || place->index != index) {
        return false;
    }
    counters = *place;
    return true;
}

}  // namespace korvalin
