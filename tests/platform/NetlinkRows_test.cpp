#include "platform/linux/NetlinkRows.h"

#include <gtest/gtest.h>
#include <linux/if.h>
#include <linux/if_addr.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <cstring>
#include <string>
#include <vector>

namespace korvalin {
namespace {

// Builds a netlink message as the kernel sends it: header, family header, attributes.
class MessageBuilder {
public:
    template <class FamilyHeader>
    MessageBuilder(std::uint16_t type, const FamilyHeader& header) {
        bytes_.resize(NLMSG_HDRLEN);
        Append(&header, sizeof header);
        type_ = type;
    }

    MessageBuilder& Attribute(std::uint16_t type, const void* data, std::size_t size) {
        rtattr attribute{};
        attribute.rta_len = static_cast<unsigned short>(RTA_LENGTH(size));
        attribute.rta_type = type;
        Append(&attribute, sizeof attribute);
        bytes_.resize(bytes_.size() - (NLMSG_ALIGN(sizeof attribute) - sizeof attribute));
        Append(data, size);
        return *this;
    }
    template <class T>
    MessageBuilder& Value(std::uint16_t type, const T& value) {
        return Attribute(type, &value, sizeof value);
    }
    MessageBuilder& Text(std::uint16_t type, const std::string& text) {
        return Attribute(type, text.c_str(), text.size() + 1);
    }

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> bytes = bytes_;
        nlmsghdr header{};
        header.nlmsg_len = static_cast<std::uint32_t>(bytes.size());
        header.nlmsg_type = type_;
        std::memcpy(bytes.data(), &header, sizeof header);
        return bytes;
    }

private:
    void Append(const void* data, std::size_t size) {
        const auto* begin = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), begin, begin + size);
        bytes_.resize(NLMSG_ALIGN(bytes_.size()), 0);
    }

    std::vector<std::uint8_t> bytes_;
    std::uint16_t type_ = 0;
};

ifinfomsg Link(int index, unsigned short hardware, unsigned flags) {
    ifinfomsg link{};
    link.ifi_family = AF_UNSPEC;
    link.ifi_index = index;
    link.ifi_type = hardware;
    link.ifi_flags = flags;
    return link;
}

TEST(NetlinkRowsTypes, HardwareTypesMapOntoInterfaceTypes) {
    const struct {
        std::uint16_t hardware;
        std::uint32_t type;
    } cases[] = {
        {ARPHRD_LOOPBACK, 24}, {ARPHRD_ETHER, 6},   {ARPHRD_PPP, 23},   {ARPHRD_SLIP, 28},
        {ARPHRD_CSLIP, 28},    {ARPHRD_IEEE802, 9}, {ARPHRD_FDDI, 15},  {ARPHRD_IEEE80211, 71},
        {ARPHRD_IPGRE, 131},   {ARPHRD_SIT, 131},   {ARPHRD_NONE, 131}, {ARPHRD_INFINIBAND, 1},
        {ARPHRD_CAN, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InterfaceTypeForHardware(c.hardware), c.type) << "ARPHRD " << c.hardware;
    }
}

TEST(NetlinkRowsTypes, OperationalStatesMapOntoTheTableNumbering) {
    const unsigned upRunning = IFF_UP | IFF_RUNNING;
    const struct {
        std::uint8_t state;
        unsigned flags;
        std::uint32_t status;
    } cases[] = {
        {IF_OPER_UP, upRunning, OperStatus::Operational},
        {IF_OPER_UP, 0, OperStatus::Operational},
        {IF_OPER_DORMANT, IFF_UP, OperStatus::Connecting},
        {IF_OPER_DOWN, IFF_UP, OperStatus::Disconnected},
        {IF_OPER_LOWERLAYERDOWN, IFF_UP, OperStatus::Unreachable},
        {IF_OPER_NOTPRESENT, IFF_UP, OperStatus::NonOperational},
        {IF_OPER_TESTING, IFF_UP, OperStatus::NonOperational},
        {IF_OPER_UNKNOWN, upRunning, OperStatus::Operational},
        {IF_OPER_UNKNOWN, IFF_UP, OperStatus::NonOperational},
        {IF_OPER_UNKNOWN, IFF_RUNNING, OperStatus::NonOperational},
        {42, upRunning, OperStatus::NonOperational},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OperStatusForLink(c.state, c.flags), c.status)
            << "state " << int(c.state) << " flags " << c.flags;
    }
}

TEST(NetlinkRowsLinks, FullLinkMessageFillsEveryField) {
    rtnl_link_stats64 stats{};
    stats.rx_bytes = 5'000'000'000ull;
    stats.tx_bytes = 4'294'967'296ull + 7;
    stats.rx_packets = 1000;
    stats.multicast = 40;
    stats.tx_packets = 900;
    stats.rx_dropped = 3;
    stats.tx_dropped = 4;
    stats.rx_errors = 5;
    stats.tx_errors = 6;
    stats.rx_nohandler = 7;
    const std::uint8_t mac[6] = {0x02, 0x00, 0x5e, 0x10, 0xab, 0xcd};
    const auto bytes = MessageBuilder(RTM_NEWLINK, Link(7, ARPHRD_ETHER, IFF_UP | IFF_RUNNING))
                           .Text(IFLA_IFNAME, "veth7")
                           .Value(IFLA_MTU, std::uint32_t{9000})
                           .Value(IFLA_TXQLEN, std::uint32_t{1000})
                           .Value(IFLA_OPERSTATE, std::uint8_t{IF_OPER_UP})
                           .Attribute(IFLA_ADDRESS, mac, sizeof mac)
                           .Value(IFLA_STATS64, stats)
                           .Bytes();
    InterfaceRow row;
    row.speed = 77;  // the parse starts from the zero row
    ASSERT_TRUE(ParseLinkMessage(bytes, row));
    EXPECT_EQ(row.index, 7);
    EXPECT_EQ(row.type, InterfaceType::Ethernet);
    EXPECT_EQ(row.name, "veth7");
    EXPECT_EQ(row.description, "veth7");
    EXPECT_EQ(row.mtu, 9000u);
    EXPECT_EQ(row.outQueueLength, 1000u);
    EXPECT_EQ(row.adminStatus, AdminStatus::Up);
    EXPECT_EQ(row.operStatus, OperStatus::Operational);
    EXPECT_EQ(row.physicalAddress, std::vector<std::uint8_t>(mac, mac + 6));
    EXPECT_EQ(row.speed, 0u);
    EXPECT_EQ(row.inOctets, 5'000'000'000ull);
    EXPECT_EQ(row.outOctets, 4'294'967'303ull);
    EXPECT_EQ(row.inUnicastPackets, 960u);
    EXPECT_EQ(row.inNonUnicastPackets, 40u);
    EXPECT_EQ(row.outUnicastPackets, 900u);
    EXPECT_EQ(row.outNonUnicastPackets, 0u);
    EXPECT_EQ(row.inDiscards, 3u);
    EXPECT_EQ(row.outDiscards, 4u);
    EXPECT_EQ(row.inErrors, 5u);
    EXPECT_EQ(row.outErrors, 6u);
    EXPECT_EQ(row.inUnknownProtocols, 7u);
}

TEST(NetlinkRowsLinks, ThirtyTwoBitStatisticsServeWhenNoSixtyFourBitOnesCome) {
    rtnl_link_stats stats{};
    stats.rx_bytes = 123;
    stats.tx_bytes = 456;
    const auto bytes = MessageBuilder(RTM_NEWLINK, Link(3, ARPHRD_PPP, 0))
                           .Text(IFLA_IFNAME, "ppp0")
                           .Value(IFLA_STATS, stats)
                           .Bytes();
    InterfaceRow row;
    ASSERT_TRUE(ParseLinkMessage(bytes, row));
    EXPECT_EQ(row.type, InterfaceType::Ppp);
    EXPECT_EQ(row.adminStatus, AdminStatus::Down);
    EXPECT_EQ(row.operStatus, OperStatus::NonOperational);
    EXPECT_EQ(row.inOctets, 123u);
    EXPECT_EQ(row.outOctets, 456u);
}

TEST(NetlinkRowsLinks, MalformedOrForeignMessagesAreRefused) {
    const auto good = MessageBuilder(RTM_NEWLINK, Link(2, ARPHRD_ETHER, IFF_UP))
                          .Text(IFLA_IFNAME, "eth0")
                          .Bytes();
    InterfaceRow row;
    ASSERT_TRUE(ParseLinkMessage(good, row));

    auto truncated = good;
    truncated.resize(NLMSG_HDRLEN + 4);  // shorter than its header claims
    EXPECT_FALSE(ParseLinkMessage(truncated, row));
    EXPECT_FALSE(ParseLinkMessage({}, row));

    const auto address = MessageBuilder(RTM_NEWADDR, ifaddrmsg{}).Bytes();
    EXPECT_FALSE(ParseLinkMessage(address, row));

    // An attribute that claims more than the message holds ends the attributes, not the
    // program: what came before it is kept.
    auto overlong = MessageBuilder(RTM_NEWLINK, Link(2, ARPHRD_ETHER, IFF_UP))
                        .Text(IFLA_IFNAME, "eth0")
                        .Value(IFLA_MTU, std::uint32_t{1500})
                        .Bytes();
    const std::size_t mtuAttribute = overlong.size() - RTA_LENGTH(4);
    const std::uint16_t hugeLength = 4000;
    std::memcpy(overlong.data() + mtuAttribute, &hugeLength, sizeof hugeLength);
    ASSERT_TRUE(ParseLinkMessage(overlong, row));
    EXPECT_EQ(row.name, "eth0");
    EXPECT_EQ(row.mtu, 0u);
}

TEST(NetlinkRowsStats, StatsMessageGivesIndexAndCounters) {
    if_stats_msg header{};
    header.ifindex = 12;
    rtnl_link_stats64 stats{};
    stats.rx_bytes = 1ull << 40;
    stats.tx_bytes = 99;
    const auto bytes =
        MessageBuilder(RTM_NEWSTATS, header).Value(IFLA_STATS_LINK_64, stats).Bytes();
    std::int32_t index = 0;
    LinkCounters counters;
    ASSERT_TRUE(ParseStatsMessage(bytes, index, counters));
    EXPECT_EQ(index, 12);
    EXPECT_EQ(counters.rxBytes, 1ull << 40);
    EXPECT_EQ(counters.txBytes, 99u);

    const auto withoutCounters = MessageBuilder(RTM_NEWSTATS, header).Bytes();
    EXPECT_FALSE(ParseStatsMessage(withoutCounters, index, counters));
}

TEST(NetlinkRowsAddresses, LocalAddressWinsOverThePeerAddress) {
    ifaddrmsg header{};
    header.ifa_family = AF_INET;
    header.ifa_index = 4;
    header.ifa_prefixlen = 24;
    const std::uint32_t peer = 0x0200000a;   // 10.0.0.2
    const std::uint32_t local = 0x0100000a;  // 10.0.0.1
    const auto pointToPoint = MessageBuilder(RTM_NEWADDR, header)
                                  .Value(IFA_ADDRESS, peer)
                                  .Value(IFA_LOCAL, local)
                                  .Bytes();
    std::int32_t index = 0;
    std::uint32_t address = 0;
    std::uint8_t prefix = 0;
    ASSERT_TRUE(ParseIpv4AddressMessage(pointToPoint, index, address, prefix));
    EXPECT_EQ(index, 4);
    EXPECT_EQ(address, local);
    EXPECT_EQ(prefix, 24);

    const auto onlyAddress = MessageBuilder(RTM_NEWADDR, header).Value(IFA_ADDRESS, peer).Bytes();
    ASSERT_TRUE(ParseIpv4AddressMessage(onlyAddress, index, address, prefix));
    EXPECT_EQ(address, peer);

    header.ifa_family = AF_INET6;
    const auto six = MessageBuilder(RTM_NEWADDR, header).Value(IFA_ADDRESS, peer).Bytes();
    EXPECT_FALSE(ParseIpv4AddressMessage(six, index, address, prefix));
}

TEST(NetlinkRowsCounters, MoreMulticastThanPacketsGivesNoUnicast) {
    LinkCounters counters;
    counters.rxPackets = 5;
    counters.multicast = 9;
    InterfaceRow row;
    ApplyCounters(counters, row);
    EXPECT_EQ(row.inUnicastPackets, 0u);
    EXPECT_EQ(row.inNonUnicastPackets, 9u);
}

}  // namespace
}  // namespace korvalin
