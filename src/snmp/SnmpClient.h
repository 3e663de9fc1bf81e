#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "snmp/Ber.h"
#include "snmp/FileDescriptor.h"
#include "snmp/Message.h"
#include "snmp/Result.h"
#include "snmp/TargetAddress.h"

namespace korvalin::snmp {

struct ClientSettings {
    std::string targetHost;                   // name or address, optionally with ":PORT"
    std::string targetPort = "161";           // used when targetHost names no port
    std::chrono::milliseconds timeout{5000};  // wait for one answer; there is no retry
};

// How a host and port become a socket address.
using Resolver = std::function<Result<TargetAddress>(const HostAndPort&)>;

// Blocking SNMP version 1 exchange over UDP: one request datagram, one answer datagram.
// No state is carried from one exchange to the next beyond the socket, kept open to save
// its set-up (a late answer to an earlier request on it is refused by its request-id),
// and the resolved address of the target, kept until the target's host or port changes,
// since a slow resolver would otherwise delay every exchange. The socket is connected to
// the target, so the kernel drops datagrams from anyone else before they take room, and
// its receive buffer holds a burst (ReceiveBufferSize).
//
// The client belongs to one thread at a time; only Interrupt may be called from another.
class SnmpClient {
public:
    // Asked for with SO_RCVBUF; the kernel may cap it (net.core.rmem_max).
    static constexpr int ReceiveBufferSize = 256 * 1024;

    explicit SnmpClient(ClientSettings settings = {}, Resolver resolver = ResolveTarget);
    ~SnmpClient();
    SnmpClient(SnmpClient&& other) noexcept;
    SnmpClient& operator=(SnmpClient&&) = delete;
    SnmpClient(const SnmpClient&) = delete;
    SnmpClient& operator=(const SnmpClient&) = delete;

    ClientSettings& Settings() { return settings_; }
    const ClientSettings& Settings() const { return settings_; }

    // The request record; SendRequest gives it a fresh random request-id.
    Message& Request() { return request_; }
    const Message& Request() const { return request_; }
    // The reply record of the last successful SendRequest, empty otherwise.
    const Message& Reply() const { return reply_; }

    // Sends the request and waits for its answer. An answer counts only when it comes
    // from the address and port the request went to, decodes as a GetResponse and
    // carries the request's request-id; anything else is ignored while the wait goes on.
    // On a timeout the error's detail names why the last ignored datagram was refused.
    // While the client is interrupted it fails with ErrorCode::Interrupted at once.
    Status SendRequest();

    // Ends a SendRequest that is waiting at once with ErrorCode::Interrupted, and makes
    // every later one fail the same way before it sends anything, until ClearInterrupt.
    // Safe to call from any thread, so that an owner blocked in a long wait can be
    // released when the program ends or the agent changes.
    void Interrupt();
    // Lets exchanges run again; for the owning thread, before its next exchange.
    void ClearInterrupt();

private:
    struct ResolvedTarget {
        HostAndPort target;
        TargetAddress address;
    };

    // The address of the target in the settings, resolved when host or port changed.
    Result<TargetAddress> AddressOfTarget();
    // Fails when the client is interrupted or cannot be (no eventfd could be made).
    Status CheckNotInterrupted() const;
    // A socket connected to address; a new one when the target changed.
    Status EnsureSocket(const TargetAddress& address);
    Status Send(const Bytes& datagram, std::chrono::steady_clock::time_point deadline);
    // Reads datagrams until one answers the request or the deadline passes.
    Status AwaitAnswer(const TargetAddress& address,
                       std::chrono::steady_clock::time_point deadline);

    ClientSettings settings_;
    Resolver resolver_;
    std::optional<ResolvedTarget> resolved_;
    FileDescriptor socket_;
    std::optional<TargetAddress> connectedTo_;
    // Readable while interrupted: waits poll it beside the socket.
    FileDescriptor interruptEvent_;
    int interruptEventError_ = 0;
    Message request_;
    Message reply_;
    Bytes receiveBuffer_;
};

// A random request-id in 1 .. 2147483647, from a generator seeded per thread by the
// system's random source.
std::int32_t FreshRequestId();

}  // namespace korvalin::snmp
