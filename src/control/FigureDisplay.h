#pragma once

#include <cstdint>

namespace korvalin {

// What the displays show of one sample: bytes of the interval (per second for the router)
// and the totals, with the unit choice to format them in.
struct TrafficFigures {
    std::int64_t received = 0;
    std::int64_t sent = 0;
    std::int64_t totalReceived = 0;
    std::int64_t totalSent = 0;
    bool allInByte = false;

    bool operator==(const TrafficFigures&) const = default;
};

// The persistent sums after their bounds, and their 32-bit total.
struct SumFigures {
    std::int32_t sent = 0;
    std::int32_t received = 0;
    std::int32_t total = 0;
    bool allInByte = false;

    bool operator==(const SumFigures&) const = default;
};

// The configuration window's figure labels as the controller feeds them.
class FigureDisplay {
public:
    virtual ~FigureDisplay() = default;
    virtual void ShowTraffic(const TrafficFigures& figures) = 0;
    virtual void ShowSums(const SumFigures& sums) = 0;
};

}  // namespace korvalin
