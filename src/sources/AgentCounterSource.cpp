#include "sources/AgentCounterSource.h"

#include <memory>

namespace korvalin {

namespace {

enum class OctetRead { Read, Missing, Failed, Unanswered };

constexpr const char* IfInOctets = "1.3.6.1.2.1.2.2.1.10.";
constexpr const char* IfOutOctets = "1.3.6.1.2.1.2.2.1.16.";

// ifInOctets, then ifOutOctets; the second get is left out when the first went
// unanswered, since the agent will not answer it either. Either object gone makes the
// interface gone; a bad answer for either counts nothing for it.
OctetRead ReadOctets(SnmpAgent& agent, std::int32_t index, OctetCounters& counters,
                     std::string& failure) {
    using Status = SnmpAgent::CounterRead::Status;
    const std::string suffix = std::to_string(index);
    const SnmpAgent::CounterRead in = agent.GetCounter32(IfInOctets + suffix);
    if (!agent.LastRequestAnswered()) {
        failure = "ifInOctets." + suffix + ": " + in.reason;
        return OctetRead::Unanswered;
    }
    const SnmpAgent::CounterRead out = agent.GetCounter32(IfOutOctets + suffix);
    if (!agent.LastRequestAnswered()) {
        failure = "ifOutOctets." + suffix + ": " + out.reason;
        return OctetRead::Unanswered;
    }
    if (in.status == Status::Missing || out.status == Status::Missing) {
        return OctetRead::Missing;
    }
    if (in.status == Status::Failed) {
        AppendFailure(failure, "ifInOctets." + suffix + ": " + in.reason);
    }
    if (out.status == Status::Failed) {
        AppendFailure(failure, "ifOutOctets." + suffix + ": " + out.reason);
    }
    if (!failure.empty()) {
        return OctetRead::Failed;
    }
    counters = {index, in.value, out.value};
    return OctetRead::Read;
}

}  // namespace

AgentCounterSource::AgentCounterSource(SnmpAgent& agent, ExchangeQueue& queue)
    : agent_(agent), queue_(queue), host_(agent.Host()), community_(agent.Community()) {}

void AgentCounterSource::SetAgent(const std::string& host, const std::string& community) {
    if (host == host_ && community == community_) {
        return;
    }
    host_ = host;
    community_ = community;
    ++generation_;
}

void AgentCounterSource::Aim(const std::string& host, const std::string& community) {
    agent_.SetHost(host);
    agent_.SetCommunity(community);
}

void AgentCounterSource::ReadList(ListDone done) {
    walkWaiters_.push_back(std::move(done));
    if (!walkQueued_) {
        QueueWalk();
    }
}

void AgentCounterSource::QueueWalk() {
    walkQueued_ = true;
    struct Walk {
        bool read = false;
        InterfaceList list;
        std::string failure;
    };
    auto walk = std::make_shared<Walk>();
    queue_.Queue(
        [this, walk, host = host_, community = community_] {
            Aim(host, community);
            walk->read = agent_.GetInterfaceList(walk->list);
            if (!walk->read) {
                walk->failure = agent_.LastFailure();
            }
        },
        [this, walk, generation = generation_] {
            WalkDone(generation, walk->read, std::move(walk->list), std::move(walk->failure));
        });
}

void AgentCounterSource::WalkDone(std::uint64_t generation, bool read, InterfaceList list,
                                  std::string failure) {
    if (generation != generation_) {
        QueueWalk();  // walked for an agent that is no longer the one asked
        return;
    }
    walkQueued_ = false;
    std::vector<ListDone> waiters;
    waiters.swap(walkWaiters_);
    for (ListDone& done : waiters) {
        done(read, list, failure);
    }
}

void AgentCounterSource::ReadCounters(std::vector<std::int32_t> indexes, CountersDone done) {
    auto result = std::make_shared<CounterReadResult>();
    queue_.Queue(
        [this, result, indexes = std::move(indexes), host = host_, community = community_] {
            Aim(host, community);
            result->read.reserve(indexes.size());
            for (const std::int32_t index : indexes) {
                OctetCounters counters;
                std::string failure;
                const OctetRead outcome = ReadOctets(agent_, index, counters, failure);
                AppendFailure(result->failure, failure);
                if (outcome == OctetRead::Unanswered) {
                    break;
                }
                if (outcome == OctetRead::Missing) {
                    result->missing.push_back(index);
                } else if (outcome == OctetRead::Read) {
                    result->read.push_back(counters);
                }
            }
        },
        [this, result, done = std::move(done), generation = generation_] {
            if (generation != generation_) {
                done(CounterReadResult{});  // counters of an agent no longer asked
                return;
            }
            done(std::move(*result));
        });
}

void AgentCounterSource::TestConnection(
    const std::string& host, const std::string& community,
    std::function<void(bool answered, std::string failure)> done) {
    struct Test {
        bool answered = false;
        std::string failure;
    };
    auto test = std::make_shared<Test>();
    queue_.Queue(
        [this, test, host, community] {
            test->answered = agent_.TestConnection(host, community);
            test->failure = agent_.LastFailure();
        },
        [test, done = std::move(done)] { done(test->answered, std::move(test->failure)); });
}

void AgentCounterSource::Exchange(std::function<void(SnmpAgent& agent)> work,
                                  std::function<void()> done) {
    queue_.Queue(
        [this, work = std::move(work), host = host_, community = community_] {
            Aim(host, community);
            work(agent_);
        },
        std::move(done));
}

}  // namespace korvalin
