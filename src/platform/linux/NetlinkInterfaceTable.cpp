#include "platform/linux/NetlinkInterfaceTable.h"

#include <arpa/inet.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <fstream>

namespace korvalin {

namespace {

std::span<const std::uint8_t> MessageBytes(const nlmsghdr& message) {
    return {reinterpret_cast<const std::uint8_t*>(&message), message.nlmsg_len};
}

template <class T>
void Append(std::vector<std::uint8_t>& bytes, const T& value) {
    const auto* begin = reinterpret_cast<const std::uint8_t*>(&value);
    bytes.insert(bytes.end(), begin, begin + sizeof value);
    bytes.resize(NLMSG_ALIGN(bytes.size()), 0);
}

void AppendU32Attribute(std::vector<std::uint8_t>& bytes, std::uint16_t type, std::uint32_t value) {
    rtattr attribute{};
    attribute.rta_len = static_cast<unsigned short>(RTA_LENGTH(sizeof value));
    attribute.rta_type = type;
    Append(bytes, attribute);
    Append(bytes, value);
}

std::vector<std::uint8_t> LinkRequest(std::int32_t index, bool withCounters) {
    std::vector<std::uint8_t> payload;
    ifinfomsg link{};
    link.ifi_family = AF_UNSPEC;
    link.ifi_index = index;
    Append(payload, link);
    if (!withCounters) {
        AppendU32Attribute(payload, IFLA_EXT_MASK, RTEXT_FILTER_SKIP_STATS);
    }
    return payload;
}

std::vector<std::uint8_t> StatsRequest(std::int32_t index) {
    std::vector<std::uint8_t> payload;
    if_stats_msg request{};
    request.family = AF_UNSPEC;
    request.ifindex = static_cast<std::uint32_t>(index);
    request.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    Append(payload, request);
    return payload;
}

// Hundredths of a second since boot, as interface tables count time.
std::uint32_t CentisecondsSinceBoot() {
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 100 +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 10000000);
}

std::string DottedQuad(std::uint32_t networkOrder) {
    std::array<char, INET_ADDRSTRLEN> text{};
    in_addr address{};
    address.s_addr = networkOrder;
    return ::inet_ntop(AF_INET, &address, text.data(), text.size()) != nullptr ? text.data() : "";
}

std::uint32_t MaskForPrefix(std::uint8_t prefixLength) {
    const std::uint32_t hostOrder =
        prefixLength == 0 ? 0
                          : ~std::uint32_t{0} << (32 - std::min<std::uint8_t>(prefixLength, 32));
    return htonl(hostOrder);
}

// Clears a row but keeps the storage of its texts, so a reading every second does not
// allocate them anew.
void ClearRow(InterfaceRow& row) {
    std::string name = std::move(row.name);
    std::string description = std::move(row.description);
    std::vector<std::uint8_t> address = std::move(row.physicalAddress);
    row = InterfaceRow{};
    name.clear();
    description.clear();
    address.clear();
    row.name = std::move(name);
    row.description = std::move(description);
    row.physicalAddress = std::move(address);
}

bool ByIndex(const InterfaceRow& row, std::int32_t index) {
    return row.index < index;
}

}  // namespace

NetlinkInterfaceTable::NetlinkInterfaceTable(std::string sysfsRoot)
    : sysfsRoot_(std::move(sysfsRoot)) {}

bool NetlinkInterfaceTable::Open() {
    if (socket_.IsOpen()) {
        return true;
    }
    if (!socket_.Open()) {
        return false;
    }
    // Without announcements the table still works, with a link dump in every reading.
    watching_ = socket_.WatchLinkChanges([this] { linksValid_ = false; });
    return true;
}

void NetlinkInterfaceTable::BeginReading() {
    ++readingDepth_;
}

void NetlinkInterfaceTable::EndReading() {
    if (readingDepth_ > 0 && --readingDepth_ == 0) {
        ForgetReading();
    }
}

void NetlinkInterfaceTable::ForgetReading() {
    linksCheckedInReading_ = false;
    linksFreshInReading_ = false;
    allCountersInReading_ = false;
    rowsReadInReading_ = 0;
}

bool NetlinkInterfaceTable::EnsureLinks() {
    // One look at the announcements per reading: the reading is one moment.
    if (!linksCheckedInReading_) {
        socket_.DrainAnnouncements();
        linksCheckedInReading_ = readingDepth_ > 0;
    }
    if (linksValid_ && (watching_ || linksFreshInReading_)) {
        return true;
    }
    // Marked valid before the dump: an announcement that arrives during it marks the
    // cache stale again, so no change is missed.
    linksValid_ = true;
    if (!DumpLinks(dumpScratch_)) {
        linksValid_ = false;
        return false;
    }
    ++linkDumps_;
    for (InterfaceRow& row : dumpScratch_) {
        CompleteRow(row, false);
    }
    links_.swap(dumpScratch_);
    linkHasCounters_.assign(links_.size(), false);
    allCountersInReading_ = false;
    linksFreshInReading_ = true;
    ForgetVanishedLinks();
    return true;
}

bool NetlinkInterfaceTable::EnsureAllCounters() {
    if (allCountersInReading_) {
        return true;
    }
    if (!DumpCounters()) {
        return false;
    }
    const auto sameInterfaces = [this] {
        return counters_.size() == links_.size() &&
               std::equal(counters_.begin(), counters_.end(), links_.begin(),
                          [](const auto& counter, const InterfaceRow& link) {
                              return counter.first == link.index;
                          });
    };
    // Another set of interfaces than the cache knows: a link came or went since.
    if (!sameInterfaces() && !linksFreshInReading_) {
        linksValid_ = false;
        if (!EnsureLinks()) {
            return false;
        }
    }
    std::size_t next = 0;
    for (std::size_t i = 0; i < links_.size(); ++i) {
        while (next < counters_.size() && counters_[next].first < links_[i].index) {
            ++next;
        }
        linkHasCounters_[i] = next < counters_.size() && counters_[next].first == links_[i].index;
        if (linkHasCounters_[i]) {
            ApplyCounters(counters_[next].second, links_[i]);
        }
    }
    allCountersInReading_ = true;
    return true;
}

const InterfaceRow* NetlinkInterfaceTable::CachedLink(std::int32_t index) const {
    const auto found = std::lower_bound(links_.begin(), links_.end(), index, ByIndex);
    return found != links_.end() && found->index == index ? &*found : nullptr;
}

bool NetlinkInterfaceTable::ReadTable(std::vector<InterfaceRow>& rows) {
    if (!socket_.IsOpen()) {
        rows.clear();
        return false;
    }
    const bool ok = EnsureLinks() && EnsureAllCounters();
    if (ok) {
        rows = links_;  // element-wise assignment keeps the caller's text storage
    } else {
        rows.clear();
    }
    if (readingDepth_ == 0) {
        ForgetReading();
    }
    return ok;
}

bool NetlinkInterfaceTable::ReadRow(std::int32_t index, InterfaceRow& row) {
    ClearRow(row);
    if (!socket_.IsOpen()) {
        return false;
    }
    if (readingDepth_ == 0) {
        return RequestRow(index, row);
    }
    if (!EnsureLinks()) {
        return false;
    }
    // The first row of a reading takes its own counters; from the second on one dump
    // for all is cheaper than a request per interface.
    if (!allCountersInReading_ && rowsReadInReading_++ == 0) {
        const InterfaceRow* link = CachedLink(index);
        LinkCounters counters;
        if (link == nullptr || !RequestCounters(index, counters)) {
            return false;
        }
        row = *link;
        ApplyCounters(counters, row);
        return true;
    }
    if (!EnsureAllCounters()) {
        return false;
    }
    const InterfaceRow* link = CachedLink(index);
    // A link without counters appeared between the two dumps: not there yet.
    if (link == nullptr || !linkHasCounters_[static_cast<std::size_t>(link - links_.data())]) {
        return false;
    }
    row = *link;
    return true;
}

bool NetlinkInterfaceTable::DumpLinks(std::vector<InterfaceRow>& rows) {
    rows.clear();
    const auto payload = LinkRequest(0, false);
    InterfaceRow row;
    const bool ok =
        socket_.Exchange(RTM_GETLINK, NLM_F_DUMP, payload, [&](const nlmsghdr& message) {
            if (ParseLinkMessage(MessageBytes(message), row)) {
                rows.push_back(std::move(row));
            }
        });
    if (!std::is_sorted(rows.begin(), rows.end(),
                        [](const auto& a, const auto& b) { return a.index < b.index; })) {
        std::sort(rows.begin(), rows.end(),
                  [](const auto& a, const auto& b) { return a.index < b.index; });
    }
    return ok;
}

bool NetlinkInterfaceTable::DumpCounters() {
    counters_.clear();
    const auto payload = StatsRequest(0);
    const bool ok =
        socket_.Exchange(RTM_GETSTATS, NLM_F_DUMP, payload, [&](const nlmsghdr& message) {
            std::int32_t index = 0;
            LinkCounters counters;
            if (ParseStatsMessage(MessageBytes(message), index, counters)) {
                counters_.emplace_back(index, counters);
            }
        });
    if (!std::is_sorted(counters_.begin(), counters_.end(),
                        [](const auto& a, const auto& b) { return a.first < b.first; })) {
        std::sort(counters_.begin(), counters_.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    return ok;
}

bool NetlinkInterfaceTable::RequestCounters(std::int32_t index, LinkCounters& counters) {
    if (index <= 0) {
        return false;
    }
    const auto payload = StatsRequest(index);
    bool parsed = false;
    const bool ok = socket_.Exchange(RTM_GETSTATS, 0, payload, [&](const nlmsghdr& message) {
        std::int32_t answeredIndex = 0;
        parsed = ParseStatsMessage(MessageBytes(message), answeredIndex, counters) &&
                 answeredIndex == index;
    });
    return ok && parsed;
}

bool NetlinkInterfaceTable::RequestRow(std::int32_t index, InterfaceRow& row) {
    if (index <= 0) {
        return false;  // index 0 would ask for a link by name, which this request has none
    }
    const auto payload = LinkRequest(index, true);
    bool parsed = false;
    const bool ok = socket_.Exchange(RTM_GETLINK, 0, payload, [&](const nlmsghdr& message) {
        parsed = ParseLinkMessage(MessageBytes(message), row);
    });
    if (!ok || !parsed || row.index != index) {
        ClearRow(row);
        return false;
    }
    CompleteRow(row, true);
    return true;
}

void NetlinkInterfaceTable::ForgetVanishedLinks() {
    std::erase_if(known_, [this](const auto& entry) { return CachedLink(entry.first) == nullptr; });
}

void NetlinkInterfaceTable::CompleteRow(InterfaceRow& row, bool freshSpeed) {
    auto [entry, isNew] = known_.try_emplace(row.index);
    KnownLink& known = entry->second;
    const bool changed = !isNew && (known.operStatus != row.operStatus || known.name != row.name);
    if (changed) {
        known.lastChange = CentisecondsSinceBoot();
    }
    // Speeds change with the link state, so the cached rows re-read the speed of a link
    // only when it is new or its state changed.
    if (isNew || changed || freshSpeed) {
        known.speed = ReadSpeed(row.name);
    }
    known.name = row.name;
    known.operStatus = row.operStatus;
    row.lastChange = known.lastChange;
    row.speed = known.speed;
}

std::uint64_t NetlinkInterfaceTable::ReadSpeed(const std::string& name) const {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        return 0;
    }
    std::ifstream file(sysfsRoot_ + "/" + name + "/speed");
    long long megabits = 0;
    // The kernel answers -1 or fails to read when it does not know the speed.
    if (!(file >> megabits) || megabits <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(megabits) * 1000000;
}

bool NetlinkInterfaceTable::ReadIpv4Address(std::int32_t index, std::string& address,
                                            std::string& mask) {
    address.clear();
    mask.clear();
    if (!socket_.IsOpen()) {
        return false;
    }
    std::vector<std::uint8_t> payload;
    ifaddrmsg request{};
    request.ifa_family = AF_INET;
    Append(payload, request);
    bool found = false;
    const bool ok =
        socket_.Exchange(RTM_GETADDR, NLM_F_DUMP, payload, [&](const nlmsghdr& message) {
            std::int32_t messageIndex = 0;
            std::uint32_t value = 0;
            std::uint8_t prefixLength = 0;
            if (!found &&
                ParseIpv4AddressMessage(MessageBytes(message), messageIndex, value, prefixLength) &&
                messageIndex == index) {
                address = DottedQuad(value);
                mask = DottedQuad(MaskForPrefix(prefixLength));
                found = true;
            }
        });
    if (!ok || !found) {
        address.clear();
        mask.clear();
        return false;
    }
    return true;
}

}  // namespace korvalin
