#pragma once

#include <cstdint>

namespace korvalin {

// The four figures a monitor holds after every reading: the bytes of the last interval
// and the totals since monitoring was last switched on. All 64-bit, so totals pass 4 GiB.
struct TrafficSample {
    std::int64_t IntervalReceived = 0;
    std::int64_t IntervalSent = 0;
    std::int64_t TotalReceived = 0;
    std::int64_t TotalSent = 0;

    // One reading: it becomes the interval's figures and is added to the totals.
    void Record(std::uint64_t received, std::uint64_t sent) {
        IntervalReceived = static_cast<std::int64_t>(received);
        IntervalSent = static_cast<std::int64_t>(sent);
        TotalReceived += IntervalReceived;
        TotalSent += IntervalSent;
    }
};

}  // namespace korvalin
