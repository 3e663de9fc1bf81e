#pragma once

#include <sys/socket.h>

#include <string>
#include <string_view>

#include "snmp/Result.h"

namespace korvalin::snmp {

struct HostAndPort {
    std::string host;
    std::string port;

    friend bool operator==(const HostAndPort&, const HostAndPort&) = default;
};

// Splits "HOST", "HOST:PORT", "[IPV6]" or "[IPV6]:PORT"; a text with more than one colon
// and no brackets is an IPv6 address without a port. Without a port, defaultPort is used.
Result<HostAndPort> SplitHostAndPort(std::string_view target, std::string_view defaultPort);

// A socket address the client sends to and accepts answers from.
struct TargetAddress {
    sockaddr_storage address{};
    socklen_t length = 0;

    int Family() const { return address.ss_family; }
    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&address); }
};

// The first address of the host (IPv4 or IPv6; literals without a name look-up) with the
// port.
Result<TargetAddress> ResolveTarget(const HostAndPort& target);

// True when both name the same family, address and port.
bool SameEndpoint(const TargetAddress& first, const sockaddr_storage& second, socklen_t length);

}  // namespace korvalin::snmp
