#include "sources/AgentCounterSource.h"

#include <charconv>
#include <memory>

namespace korvalin {

namespace {

enum class OctetRead { Read, Missing, Unanswered };

bool ParseCounter(const std::string& text, std::uint32_t& value) {
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end;
}

// ifInOctets, then ifOutOctets; the second get is left out when the first went
// unanswered, since the agent will not answer it either.
OctetRead ReadOctets(TDefaultSNMPClass& agent, std::int32_t index, OctetCounters& counters) {
    const std::string in = agent.GetIfInOctets(index);
    if (!agent.LastRequestAnswered()) {
        return OctetRead::Unanswered;
    }
    const std::string out = agent.GetIfOutOctets(index);
    if (!agent.LastRequestAnswered()) {
        return OctetRead::Unanswered;
    }
    std::uint32_t inOctets = 0;
    std::uint32_t outOctets = 0;
    if (!ParseCounter(in, inOctets) || !ParseCounter(out, outOctets)) {
        return OctetRead::Missing;
    }
    counters = {index, inOctets, outOctets};
    return OctetRead::Read;
}

}  // namespace

AgentCounterSource::AgentCounterSource(TDefaultSNMPClass& agent, ExchangeQueue& queue)
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
                const OctetRead outcome = ReadOctets(agent_, index, counters);
                if (outcome == OctetRead::Unanswered) {
                    result->failure = agent_.LastFailure();
                    break;
                }
                if (outcome == OctetRead::Missing) {
                    result->missing.push_back(index);
                } else {
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

void AgentCounterSource::Exchange(std::function<void(TDefaultSNMPClass& agent)> work,
                                  std::function<void()> done) {
    queue_.Queue(
        [this, work = std::move(work), host = host_, community = community_] {
            Aim(host, community);
            work(agent_);
        },
        std::move(done));
}

}  // namespace korvalin
