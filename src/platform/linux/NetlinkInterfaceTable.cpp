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

std::int32_t IndexOf(std::int32_t index) {
    return index;
}
std::int32_t IndexOf(const InterfaceRow& row) {
    return row.index;
}

}  // namespace

NetlinkInterfaceTable::NetlinkInterfaceTable(std::string sysfsRoot)
    : sysfsRoot_(std::move(sysfsRoot)) {}

bool NetlinkInterfaceTable::Open() {
    return socket_.Open();
}

void NetlinkInterfaceTable::BeginReading() {
    ++readingDepth_;
}

void NetlinkInterfaceTable::EndReading() {
    if (readingDepth_ > 0 && --readingDepth_ == 0) {
        haveSnapshot_ = false;
        rowsReadInReading_ = 0;
    }
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
    std::sort(rows.begin(), rows.end(),
              [](const InterfaceRow& a, const InterfaceRow& b) { return a.index < b.index; });
    return ok;
}

bool NetlinkInterfaceTable::DumpCounters(std::unordered_map<std::int32_t, LinkCounters>& counters) {
    counters.clear();
    std::vector<std::uint8_t> payload;
    if_stats_msg request{};
    request.family = AF_UNSPEC;
    request.filter_mask = IFLA_STATS_FILTER_BIT(IFLA_STATS_LINK_64);
    Append(payload, request);
    return socket_.Exchange(RTM_GETSTATS, NLM_F_DUMP, payload, [&](const nlmsghdr& message) {
        std::int32_t index = 0;
        LinkCounters linkCounters;
        if (ParseStatsMessage(MessageBytes(message), index, linkCounters)) {
            counters[index] = linkCounters;
        }
    });
}

bool NetlinkInterfaceTable::TakeSnapshot() {
    if (!DumpLinks(snapshotRows_) || !DumpCounters(snapshotCounters_)) {
        snapshotRows_.clear();
        return false;
    }
    for (InterfaceRow& row : snapshotRows_) {
        const auto counters = snapshotCounters_.find(row.index);
        if (counters != snapshotCounters_.end()) {
            ApplyCounters(counters->second, row);
        }
        CompleteRow(row, false);
    }
    ForgetVanishedLinks();
    haveSnapshot_ = readingDepth_ > 0;
    return true;
}

bool NetlinkInterfaceTable::ReadTable(std::vector<InterfaceRow>& rows) {
    rows.clear();
    if (!socket_.IsOpen()) {
        return false;
    }
    if (!haveSnapshot_ && !TakeSnapshot()) {
        return false;
    }
    rows = snapshotRows_;
    return true;
}

bool NetlinkInterfaceTable::ReadRow(std::int32_t index, InterfaceRow& row) {
    row = InterfaceRow{};
    if (!socket_.IsOpen()) {
        return false;
    }
    // The first row of a reading is one request; from the second on a snapshot is
    // cheaper than a request per interface.
    if (readingDepth_ > 0 && !haveSnapshot_ && rowsReadInReading_++ > 0) {
        TakeSnapshot();
    }
    if (!haveSnapshot_) {
        return RequestRow(index, row);
    }
    const auto found = std::lower_bound(snapshotRows_.begin(), snapshotRows_.end(), index,
                                        [](const InterfaceRow& candidate, std::int32_t wanted) {
                                            return candidate.index < wanted;
                                        });
    // A link without counters appeared between the two dumps: it reads as not there yet.
    if (found == snapshotRows_.end() || found->index != index ||
        snapshotCounters_.find(index) == snapshotCounters_.end()) {
        return false;
    }
    row = *found;
    return true;
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
        row = InterfaceRow{};
        return false;
    }
    CompleteRow(row, true);
    return true;
}

void NetlinkInterfaceTable::ForgetVanishedLinks() {
    std::erase_if(known_, [this](const auto& entry) {
        return !std::binary_search(
            snapshotRows_.begin(), snapshotRows_.end(), entry.first,
            [](const auto& a, const auto& b) { return IndexOf(a) < IndexOf(b); });
    });
}

void NetlinkInterfaceTable::CompleteRow(InterfaceRow& row, bool freshSpeed) {
    auto [entry, isNew] = known_.try_emplace(row.index);
    KnownLink& known = entry->second;
    const bool changed = !isNew && (known.operStatus != row.operStatus || known.name != row.name);
    if (changed) {
        known.lastChange = CentisecondsSinceBoot();
    }
    // Speeds change with the link state, so a reading of many rows re-reads the speed
    // of a link only when it is new or its state changed.
    if (isNew || changed || freshSpeed) {
        known.speed = ReadSpeed(row.name);
    }
    known.name = row.name;
    known.operStatus = row.operStatus;
    row.lastChange = known.lastChange;
    row.speed = known.speed;
}

std::uint64_t NetlinkInterfaceTable::ReadSpeed(const std::string& name) const {
    if (name.empty() || name.find('/') != std::string::npos) {
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
