#include "platform/linux/NetlinkRows.h"

#include <linux/if.h>
#include <linux/if_addr.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <cstring>
#include <optional>

namespace korvalin {

namespace {

// A bounded view of the attributes that follow a family header.
class AttributeReader {
public:
    explicit AttributeReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // Advances to the next attribute; false at the end or at a malformed attribute.
    bool Next(std::uint16_t& type, std::span<const std::uint8_t>& value) {
        if (offset_ + sizeof(rtattr) > bytes_.size()) {
            return false;
        }
        rtattr attribute{};
        std::memcpy(&attribute, bytes_.data() + offset_, sizeof attribute);
        if (attribute.rta_len < sizeof(rtattr) || offset_ + attribute.rta_len > bytes_.size()) {
            return false;
        }
        type = static_cast<std::uint16_t>(attribute.rta_type & NLA_TYPE_MASK);
        value = bytes_.subspan(offset_ + RTA_LENGTH(0), attribute.rta_len - RTA_LENGTH(0));
        offset_ += RTA_ALIGN(attribute.rta_len);
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t offset_ = 0;
};

template <class T>
std::optional<T> ReadValue(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sizeof(T)) {
        return std::nullopt;
    }
    T value{};
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

// The family header of a message and the attributes after it, or nothing when the
// message is shorter than it claims.
template <class FamilyHeader>
std::optional<std::span<const std::uint8_t>> Attributes(std::span<const std::uint8_t> message,
                                                        FamilyHeader& header) {
    const auto netlinkHeader = ReadValue<nlmsghdr>(message);
    if (!netlinkHeader || netlinkHeader->nlmsg_len > message.size() ||
        netlinkHeader->nlmsg_len < NLMSG_LENGTH(sizeof(FamilyHeader))) {
        return std::nullopt;
    }
    const auto body = message.subspan(NLMSG_HDRLEN, netlinkHeader->nlmsg_len - NLMSG_HDRLEN);
    header = *ReadValue<FamilyHeader>(body);
    const std::size_t attributesAt = NLMSG_ALIGN(sizeof(FamilyHeader));
    return attributesAt <= body.size() ? body.subspan(attributesAt) : body.subspan(body.size());
}

LinkCounters FromStats64(const rtnl_link_stats64& stats) {
    LinkCounters counters;
    counters.rxPackets = stats.rx_packets;
    counters.txPackets = stats.tx_packets;
    counters.rxBytes = stats.rx_bytes;
    counters.txBytes = stats.tx_bytes;
    counters.rxErrors = stats.rx_errors;
    counters.txErrors = stats.tx_errors;
    counters.rxDropped = stats.rx_dropped;
    counters.txDropped = stats.tx_dropped;
    counters.multicast = stats.multicast;
    counters.rxNoHandler = stats.rx_nohandler;
    return counters;
}

// Older kernels may send shorter structures; the missing tail reads as zero.
template <class Stats>
Stats ReadPartial(std::span<const std::uint8_t> bytes) {
    Stats stats{};
    std::memcpy(&stats, bytes.data(), std::min(bytes.size(), sizeof stats));
    return stats;
}

}  // namespace

std::uint32_t InterfaceTypeForHardware(std::uint16_t hardwareType) {
    switch (hardwareType) {
    case ARPHRD_LOOPBACK:
        return InterfaceType::SoftwareLoopback;
    case ARPHRD_ETHER:
    case ARPHRD_EETHER:
        return InterfaceType::Ethernet;
    case ARPHRD_PPP:
        return InterfaceType::Ppp;
    case ARPHRD_SLIP:
    case ARPHRD_CSLIP:
        return InterfaceType::Slip;
    case ARPHRD_IEEE802:
        return InterfaceType::TokenRing;
    case ARPHRD_FDDI:
        return InterfaceType::Fddi;
    case ARPHRD_IEEE80211:
    case ARPHRD_IEEE80211_RADIOTAP:
        return InterfaceType::Ieee80211;
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case ARPHRD_IP6GRE:
    case ARPHRD_NONE:
        return InterfaceType::Tunnel;
    default:
        return InterfaceType::Other;
    }
}

std::uint32_t OperStatusForLink(std::uint8_t operState, std::uint32_t linkFlags) {
    switch (operState) {
    case IF_OPER_UP:
        return OperStatus::Operational;
    case IF_OPER_DORMANT:
        return OperStatus::Connecting;
    case IF_OPER_DOWN:
        return OperStatus::Disconnected;
    case IF_OPER_LOWERLAYERDOWN:
        return OperStatus::Unreachable;
    case IF_OPER_UNKNOWN:
        return (linkFlags & IFF_UP) != 0 && (linkFlags & IFF_RUNNING) != 0
                   ? OperStatus::Operational
                   : OperStatus::NonOperational;
    default:
        return OperStatus::NonOperational;
    }
}

void ApplyCounters(const LinkCounters& counters, InterfaceRow& row) {
    row.inOctets = counters.rxBytes;
    row.outOctets = counters.txBytes;
    row.inNonUnicastPackets = counters.multicast;
    row.inUnicastPackets =
        counters.rxPackets > counters.multicast ? counters.rxPackets - counters.multicast : 0;
    row.outUnicastPackets = counters.txPackets;
    row.outNonUnicastPackets = 0;
    row.inDiscards = counters.rxDropped;
    row.outDiscards = counters.txDropped;
    row.inErrors = counters.rxErrors;
    row.outErrors = counters.txErrors;
    row.inUnknownProtocols = counters.rxNoHandler;
}

bool ParseLinkMessage(std::span<const std::uint8_t> message, InterfaceRow& row) {
    ifinfomsg link{};
    const auto attributes = Attributes(message, link);
    const auto header = ReadValue<nlmsghdr>(message);
    if (!attributes || header->nlmsg_type != RTM_NEWLINK) {
        return false;
    }
    row = InterfaceRow{};
    row.index = link.ifi_index;
    row.type = InterfaceTypeForHardware(link.ifi_type);
    row.adminStatus = (link.ifi_flags & IFF_UP) != 0 ? AdminStatus::Up : AdminStatus::Down;
    std::uint8_t operState = IF_OPER_UNKNOWN;
    std::optional<LinkCounters> counters;
    AttributeReader reader(*attributes);
    std::uint16_t type = 0;
    std::span<const std::uint8_t> value;
    while (reader.Next(type, value)) {
        switch (type) {
        case IFLA_IFNAME:
            row.name.assign(value.begin(), value.end());
            row.name.resize(std::strlen(row.name.c_str()));
            break;
        case IFLA_MTU:
            row.mtu = ReadValue<std::uint32_t>(value).value_or(0);
            break;
        case IFLA_TXQLEN:
            row.outQueueLength = ReadValue<std::uint32_t>(value).value_or(0);
            break;
        case IFLA_OPERSTATE:
            operState = ReadValue<std::uint8_t>(value).value_or(IF_OPER_UNKNOWN);
            break;
        case IFLA_ADDRESS:
            row.physicalAddress.assign(value.begin(), value.end());
            break;
        case IFLA_STATS64:
            counters = FromStats64(ReadPartial<rtnl_link_stats64>(value));
            break;
        case IFLA_STATS:
            if (!counters) {
                const auto stats = ReadPartial<rtnl_link_stats>(value);
                rtnl_link_stats64 wide{};
                wide.rx_packets = stats.rx_packets;
                wide.tx_packets = stats.tx_packets;
                wide.rx_bytes = stats.rx_bytes;
                wide.tx_bytes = stats.tx_bytes;
                wide.rx_errors = stats.rx_errors;
                wide.tx_errors = stats.tx_errors;
                wide.rx_dropped = stats.rx_dropped;
                wide.tx_dropped = stats.tx_dropped;
                wide.multicast = stats.multicast;
                wide.rx_nohandler = stats.rx_nohandler;
                counters = FromStats64(wide);
            }
            break;
        default:
            break;
        }
    }
    row.description = row.name;
    row.operStatus = OperStatusForLink(operState, link.ifi_flags);
    if (counters) {
        ApplyCounters(*counters, row);
    }
    return true;
}

bool ParseStatsMessage(std::span<const std::uint8_t> message, std::int32_t& index,
                       LinkCounters& counters) {
    if_stats_msg stats{};
    const auto attributes = Attributes(message, stats);
    const auto header = ReadValue<nlmsghdr>(message);
    if (!attributes || header->nlmsg_type != RTM_NEWSTATS) {
        return false;
    }
    AttributeReader reader(*attributes);
    std::uint16_t type = 0;
    std::span<const std::uint8_t> value;
    while (reader.Next(type, value)) {
        if (type == IFLA_STATS_LINK_64) {
            index = static_cast<std::int32_t>(stats.ifindex);
            counters = FromStats64(ReadPartial<rtnl_link_stats64>(value));
            return true;
        }
    }
    return false;
}

bool ParseIpv4AddressMessage(std::span<const std::uint8_t> message, std::int32_t& index,
                             std::uint32_t& address, std::uint8_t& prefixLength) {
    ifaddrmsg info{};
    const auto attributes = Attributes(message, info);
    const auto header = ReadValue<nlmsghdr>(message);
    if (!attributes || header->nlmsg_type != RTM_NEWADDR || info.ifa_family != AF_INET) {
        return false;
    }
    std::optional<std::uint32_t> local;
    std::optional<std::uint32_t> peer;
    AttributeReader reader(*attributes);
    std::uint16_t type = 0;
    std::span<const std::uint8_t> value;
    while (reader.Next(type, value)) {
        if (type == IFA_LOCAL) {
            local = ReadValue<std::uint32_t>(value);
        } else if (type == IFA_ADDRESS) {
            peer = ReadValue<std::uint32_t>(value);
        }
    }
    // On point-to-point links IFA_ADDRESS is the far end; IFA_LOCAL is ours.
    const auto own = local ? local : peer;
    if (!own) {
        return false;
    }
    index = static_cast<std::int32_t>(info.ifa_index);
    address = *own;
    prefixLength = info.ifa_prefixlen;
    return true;
}

}  // namespace korvalin
