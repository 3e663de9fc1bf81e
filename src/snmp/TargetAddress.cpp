#include "snmp/TargetAddress.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <charconv>
#include <cstring>
#include <memory>

namespace korvalin::snmp {

namespace {

bool IsPort(std::string_view text) {
    unsigned port = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, port);
    return !text.empty() && error == std::errc() && stop == end && port >= 1 && port <= 65535;
}

Result<HostAndPort> Checked(std::string_view host, std::string_view port, std::string_view whole) {
    if (host.empty() || !IsPort(port)) {
        return MakeError(ErrorCode::InvalidHost, "'" + std::string(whole) + "'");
    }
    return HostAndPort{std::string(host), std::string(port)};
}

Result<HostAndPort> SplitBracketed(std::string_view target, std::string_view defaultPort) {
    const std::size_t close = target.find(']');
    if (close == std::string_view::npos) {
        return MakeError(ErrorCode::InvalidHost, "'" + std::string(target) + "'");
    }
    const std::string_view host = target.substr(1, close - 1);
    const std::string_view rest = target.substr(close + 1);
    if (rest.empty()) {
        return Checked(host, defaultPort, target);
    }
    if (rest.front() != ':') {
        return MakeError(ErrorCode::InvalidHost, "'" + std::string(target) + "'");
    }
    return Checked(host, rest.substr(1), target);
}

bool ParseLiteral(const HostAndPort& target, TargetAddress& result) {
    const auto port = static_cast<std::uint16_t>(std::stoi(target.port));
    sockaddr_in v4{};
    if (inet_pton(AF_INET, target.host.c_str(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        std::memcpy(&result.address, &v4, sizeof v4);
        result.length = sizeof v4;
        return true;
    }
    sockaddr_in6 v6{};
    if (inet_pton(AF_INET6, target.host.c_str(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        std::memcpy(&result.address, &v6, sizeof v6);
        result.length = sizeof v6;
        return true;
    }
    return false;
}

struct AddressInfoDeleter {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

}  // namespace

Result<HostAndPort> SplitHostAndPort(std::string_view target, std::string_view defaultPort) {
    if (!target.empty() && target.front() == '[') {
        return SplitBracketed(target, defaultPort);
    }
    const std::size_t colon = target.find(':');
    if (colon == std::string_view::npos || target.find(':', colon + 1) != std::string_view::npos) {
        return Checked(target, defaultPort, target);
    }
    return Checked(target.substr(0, colon), target.substr(colon + 1), target);
}

Result<TargetAddress> ResolveTarget(const HostAndPort& target) {
    TargetAddress result;
    if (ParseLiteral(target, result)) {
        return result;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int status = getaddrinfo(target.host.c_str(), target.port.c_str(), &hints, &found);
    std::unique_ptr<addrinfo, AddressInfoDeleter> owner(found);
    if (status != 0 || found == nullptr) {
        return MakeError(ErrorCode::HostNotFound, target.host + ": " + gai_strerror(status));
    }
    if (found->ai_addrlen > sizeof result.address) {
        return MakeError(ErrorCode::HostNotFound, target.host + ": address too long");
    }
    std::memcpy(&result.address, found->ai_addr, found->ai_addrlen);
    result.length = found->ai_addrlen;
    return result;
}

bool SameEndpoint(const TargetAddress& first, const sockaddr_storage& second, socklen_t length) {
    if (first.address.ss_family != second.ss_family) {
        return false;
    }
    if (second.ss_family == AF_INET && length >= sizeof(sockaddr_in)) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(first.address);
        const auto& b = reinterpret_cast<const sockaddr_in&>(second);
        return a.sin_port == b.sin_port && a.sin_addr.s_addr == b.sin_addr.s_addr;
    }
    if (second.ss_family == AF_INET6 && length >= sizeof(sockaddr_in6)) {
        const auto& a = reinterpret_cast<const sockaddr_in6&>(first.address);
        const auto& b = reinterpret_cast<const sockaddr_in6&>(second);
        return a.sin6_port == b.sin6_port &&
               std::memcmp(&a.sin6_addr, &b.sin6_addr, sizeof a.sin6_addr) == 0;
    }
    return false;
}

}  // namespace korvalin::snmp
