#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sources/CounterSource.h"
#include "sources/ExchangeQueue.h"
#include "sources/SnmpAgent.h"

namespace korvalin {

// An SNMP agent's interface table as a counter source: the list is the walk of ifIndex
// with every ifDescr, the counters are ifInOctets and ifOutOctets. Every exchange runs
// on the exchange queue, so the user-interface thread never waits for the agent; the
// agent access object is touched only there.
//
// A reading ends at the first exchange the agent leaves unanswered: the interfaces not
// read keep their stored readings, and a silent agent costs one wait per reading, not
// two per interface. An interface whose counter the agent reports as noSuchName is gone;
// an answer that is no sound Counter32 for exactly the object asked (see
// SnmpAgent::GetCounter32) counts nothing for its interface, which keeps its
// stored reading, and the failure names the object and the check.
class AgentCounterSource final : public CounterSource {
public:
    AgentCounterSource(SnmpAgent& agent, ExchangeQueue& queue);

    // The agent to ask from now on (user-interface thread). A list walk that was under
    // way for an earlier agent is walked again for this one before it is handed out.
    void SetAgent(const std::string& host, const std::string& community);

    // One walk serves every caller that asks while it is queued or under way.
    void ReadList(ListDone done) override;
    void ReadCounters(std::vector<std::int32_t> indexes, CountersDone done) override;

    // Whether the agent at host answers a get of sysDescr.0 with community, and why not.
    void TestConnection(const std::string& host, const std::string& community,
                        std::function<void(bool answered, std::string failure)> done);

    // Runs work with the agent access object on the exchange queue, then done on the
    // user-interface thread.
    void Exchange(std::function<void(SnmpAgent& agent)> work, std::function<void()> done);

private:
    void QueueWalk();
    void WalkDone(std::uint64_t generation, bool read, InterfaceList list, std::string failure);
    void Aim(const std::string& host, const std::string& community);

    SnmpAgent& agent_;
    ExchangeQueue& queue_;
    std::string host_;
    std::string community_;
    std::uint64_t generation_ = 0;
    bool walkQueued_ = false;
    std::vector<ListDone> walkWaiters_;
};

}  // namespace korvalin
