#pragma once

#include <cstdint>
#include <span>

#include "platform/InterfaceTable.h"

namespace korvalin {

// The kernel's link counters, in the layout-free form the table needs.
struct LinkCounters {
    std::uint64_t rxPackets = 0;
    std::uint64_t txPackets = 0;
    std::uint64_t rxBytes = 0;
    std::uint64_t txBytes = 0;
    std::uint64_t rxErrors = 0;
    std::uint64_t txErrors = 0;
    std::uint64_t rxDropped = 0;
    std::uint64_t txDropped = 0;
    std::uint64_t multicast = 0;
    std::uint64_t rxNoHandler = 0;
};

// Interface type for a link's hardware type (ARPHRD_*): loopback 24, Ethernet 6, PPP 23,
// SLIP 28, token ring 9, FDDI 15, wireless 71, IP tunnels 131, everything else 1.
std::uint32_t InterfaceTypeForHardware(std::uint16_t hardwareType);

// Operational status for a link's operstate (IF_OPER_*): up is operational, dormant is
// connecting, down is disconnected, lower layer down is unreachable, not present and
// testing are non-operational; unknown (drivers without carrier reporting, loopback)
// is operational when the link is up and running, else non-operational.
std::uint32_t OperStatusForLink(std::uint8_t operState, std::uint32_t linkFlags);

// Fills row from an RTM_NEWLINK message (the whole message, header included): index,
// type, name and description, MTU, physical address, admin and operational status,
// output queue length and, when the message carries them, the counters. False when the
// message is not a well-formed link message.
bool ParseLinkMessage(std::span<const std::uint8_t> message, InterfaceRow& row);

// Reads the interface index and the 64-bit counters of an RTM_NEWSTATS message. False
// when the message is malformed or carries no 64-bit counters.
bool ParseStatsMessage(std::span<const std::uint8_t> message, std::int32_t& index,
                       LinkCounters& counters);

// Reads index, address and prefix length of an IPv4 RTM_NEWADDR message. False for
// another family or a malformed message.
bool ParseIpv4AddressMessage(std::span<const std::uint8_t> message, std::int32_t& index,
                             std::uint32_t& address, std::uint8_t& prefixLength);

// Writes the counters into a row the way the interface table reports them: unicast
// packets are all packets less the multicast ones (the kernel counts multicast received
// only), unknown protocols are the packets no handler took.
void ApplyCounters(const LinkCounters& counters, InterfaceRow& row);

}  // namespace korvalin
