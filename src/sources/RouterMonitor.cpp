#include "sources/RouterMonitor.h"

#include <algorithm>

namespace korvalin {

namespace {

std::uint64_t SubtractClamped(std::uint64_t value, std::uint64_t amount) {
    return value > amount ? value - amount : 0;
}

std::unique_ptr<ExchangeQueue> MakeQueue(ExchangeMode mode, UiThread& uiThread, SnmpAgent& agent) {
    if (mode == ExchangeMode::Inline) {
        return std::make_unique<InlineExchangeQueue>();
    }
    return std::make_unique<ExchangeThread>(uiThread, [&agent] { agent.Interrupt(); });
}

}  // namespace

RouterMonitor::RouterMonitor(UiThread& uiThread, snmp::ClientSettings clientSettings,
                             std::shared_ptr<TimerSleeper> sleeper, ExchangeMode mode)
    : uiThread_(uiThread),
      agent_(std::move(clientSettings)),
      queue_(MakeQueue(mode, uiThread, agent_)),
      source_(agent_, *queue_),
      counting_(source_, uiThread, std::move(sleeper),
                {.readWhenSwitched = true, .firstWhenUnnamed = true}) {
    agent_.SetHost(host_);
    agent_.SetCommunity(community_);
    source_.SetAgent(host_, community_);
    counting_.SetAdjustment([this](std::uint64_t& received, std::uint64_t& sent) {
        ApplyAllowancesAndCorrections(received, sent);
    });
}

RouterMonitor::~RouterMonitor() {
    *alive_ = false;
    // First, so no exchange under way outlives the objects it works with; what is
    // queued is dropped and no reading is reported any more.
    queue_.reset();
}

void RouterMonitor::SetHost(const std::string& host) {
    if (host == host_) {
        return;
    }
    host_ = host;
    AgentChanged();
}

void RouterMonitor::SetCommunity(const std::string& community) {
    if (community == community_) {
        return;
    }
    community_ = community;
    AgentChanged();
}

void RouterMonitor::AgentChanged() {
    source_.SetAgent(host_, community_);
    counting_.ForgetReadings();
    // Deferred, so that host and community changed in one go cost one walk, and none at
    // all when RefreshInterfaces is asked for meanwhile.
    refreshDue_ = true;
    if (refreshScheduled_) {
        return;
    }
    refreshScheduled_ = true;
    uiThread_.Post([this, alive = alive_] {
        if (!*alive) {
            return;
        }
        refreshScheduled_ = false;
        if (refreshDue_) {
            RefreshInterfaces();
        }
    });
}

std::uint32_t RouterMonitor::TimerInterval() const {
    return static_cast<std::uint32_t>(std::max(interval_, 0));
}

void RouterMonitor::Init() {
    prepared_ = true;
    counting_.PrepareTimer(TimerInterval());
    RefreshInterfaces();
}

void RouterMonitor::RefreshInterfaces() {
    if (!prepared_) {
        Init();
        return;
    }
    ++refreshes_;
    refreshDue_ = false;
    source_.ReadList([this, alive = alive_](bool read, InterfaceList list, const std::string&) {
        if (!*alive) {
            return;
        }
        --refreshes_;
        counting_.SetList(read ? std::move(list) : InterfaceList{});
        // A copy, since the handler may replace itself.
        if (const auto handler = onInterfaces_) {
            handler();
        }
    });
}

void RouterMonitor::TestConnection(const std::string& host, const std::string& community,
                                   TestHandler done) {
    source_.TestConnection(host, community, std::move(done));
}

void RouterMonitor::Exchange(std::function<void(SnmpAgent& agent)> work,
                             std::function<void()> done) {
    source_.Exchange(std::move(work), std::move(done));
}

void RouterMonitor::SetInterval(std::int32_t interval) {
    if (interval == interval_) {
        return;
    }
    interval_ = interval;
    counting_.SetInterval(TimerInterval());
}

void RouterMonitor::SetInterfaceName(const std::string& name) {
    if (name == counting_.Name()) {
        return;
    }
    if (counting_.List().empty() && !RefreshingInterfaces()) {
        RefreshInterfaces();
    }
    counting_.SetName(name);
}

void RouterMonitor::SetActive(bool active) {
    if (active == counting_.Active()) {
        return;
    }
    if (active && !prepared_) {
        Init();
    }
    counting_.SetActive(active);
}

std::int64_t RouterMonitor::PerSecond(std::int64_t value) const {
    const std::int64_t seconds = interval_ / 1000;
    return seconds > 0 ? value / seconds : value;
}

void RouterMonitor::ApplyAllowancesAndCorrections(std::uint64_t& received,
                                                  std::uint64_t& sent) const {
    // Several interfaces together can exceed one 32-bit interval figure; saturate
    // rather than wrap, so a busy interval never shows as a quiet one.
    received = std::min<std::uint64_t>(received, UINT32_MAX);
    sent = std::min<std::uint64_t>(sent, UINT32_MAX);
    if (exchangeRates_) {
        std::swap(received, sent);
    }
    // The allowance and the correction follow the router's counters, not the display.
    std::uint64_t& fromOutOctets = exchangeRates_ ? received : sent;
    std::uint64_t& fromInOctets = exchangeRates_ ? sent : received;
    fromOutOctets = SubtractClamped(fromOutOctets, OutAllowance);
    fromInOctets = SubtractClamped(fromInOctets, InAllowance);
    if (correctRates_) {
        fromOutOctets = SubtractClamped(fromOutOctets, correctUp_);
        fromInOctets = SubtractClamped(fromInOctets, correctDown_);
    }
}

}  // namespace korvalin
