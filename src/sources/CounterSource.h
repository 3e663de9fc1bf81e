#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sources/CounterLedger.h"

namespace korvalin {

// One interface as a counter source lists it: its text (a trimmed adapter description or
// the agent's ifDescr) and the index it carries.
struct InterfaceEntry {
    std::string text;
    std::int32_t index = 0;

    friend bool operator==(const InterfaceEntry&, const InterfaceEntry&) = default;
};

using InterfaceList = std::vector<InterfaceEntry>;

// Position of the first entry whose text matches case-insensitively (German letters
// included), or -1.
int FindInterface(const InterfaceList& list, const std::string& text);

// Adds one failure to the failures of a reading, joined by "; "; an empty one adds nothing.
void AppendFailure(std::string& failures, const std::string& failure);

// The counters one read of a counter source found.
struct CounterReadResult {
    // The interfaces that were read, in the order asked for.
    std::vector<OctetCounters> read;
    // The interfaces the source knows to be gone (the kernel or the agent said so), as
    // opposed to those whose read failed for another reason, which are in neither list.
    std::vector<std::int32_t> missing;
    // Why some interface could not be read (no answer, for example); empty when every
    // read succeeded or the interface was gone.
    std::string failure;
};

// Where a counter monitor gets its readings: the local interface table or an SNMP agent.
// Each read hands its result to done on the user-interface thread, at once (the kernel
// answers in microseconds) or later (an agent may take seconds, or never answer).
class CounterSource {
public:
    // failure says why the list could not be read.
    using ListDone = std::function<void(bool read, InterfaceList list, std::string failure)>;
    using CountersDone = std::function<void(CounterReadResult result)>;

    virtual ~CounterSource() = default;

    // Reads the list of interfaces; read is false when the list could not be had.
    virtual void ReadList(ListDone done) = 0;
    // Reads the octet counters of the given interfaces.
    virtual void ReadCounters(std::vector<std::int32_t> indexes, CountersDone done) = 0;
};

}  // namespace korvalin
