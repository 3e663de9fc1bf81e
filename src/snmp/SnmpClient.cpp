#include "snmp/SnmpClient.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

#include "snmp/MessageCodec.h"
#include "snmp/TargetAddress.h"

namespace korvalin::snmp {

namespace {

// The largest UDP payload; anything that arrives is read whole or refused.
constexpr std::size_t MaxDatagram = 65535;

Error SocketFailure(const char* step) {
    return MakeError(ErrorCode::SocketError, std::string(step) + ": " + std::strerror(errno));
}

Error InterruptedError(const char* when) {
    return MakeError(ErrorCode::Interrupted, when);
}

bool Readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN) != 0;
}

enum class Wait { Ready, TimedOut, Interrupted };

// Waits until the socket is ready for events (POLLIN or POLLOUT), the interrupt event is
// raised or the deadline passes.
Result<Wait> WaitReady(int fd, short events, int interruptEvent,
                       std::chrono::steady_clock::time_point deadline) {
    while (true) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return Wait::TimedOut;
        }
        pollfd entries[] = {{fd, events, 0}, {interruptEvent, POLLIN, 0}};
        const int ready = poll(entries, 2, static_cast<int>(left.count()));
        if (ready > 0) {
            return (entries[1].revents & POLLIN) != 0 ? Wait::Interrupted : Wait::Ready;
        }
        if (ready < 0 && errno != EINTR) {
            return SocketFailure("poll");
        }
    }
}

// Why a datagram does not answer the request, or an empty text when it does.
std::string Rejection(const Result<Message>& decoded, std::int32_t requestId) {
    if (!decoded) {
        return std::string("undecodable answer (") + Describe(decoded.GetError().code) + ": " +
               decoded.GetError().detail + ")";
    }
    if (decoded.Value().pduType != PduType::GetResponse) {
        return "answer is no GetResponse";
    }
    if (decoded.Value().requestId != requestId) {
        return "answer with request-id " + std::to_string(decoded.Value().requestId) +
               " instead of " + std::to_string(requestId);
    }
    return {};
}

}  // namespace

std::int32_t FreshRequestId() {
    thread_local std::mt19937_64 generator = [] {
        std::uint64_t seed = 0;
        if (getrandom(&seed, sizeof seed, 0) != static_cast<ssize_t>(sizeof seed)) {
            seed =
                (static_cast<std::uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}();
        }
        return std::mt19937_64(seed);
    }();
    const auto id = static_cast<std::int32_t>(generator() & 0x7FFFFFFF);
    return id == 0 ? 1 : id;
}

// The event exists from construction on, so Interrupt never races with its creation.
SnmpClient::SnmpClient(ClientSettings settings, Resolver resolver)
    : settings_(std::move(settings)),
      resolver_(std::move(resolver)),
      interruptEvent_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      interruptEventError_(interruptEvent_.Valid() ? 0 : errno) {}

SnmpClient::~SnmpClient() = default;

SnmpClient::SnmpClient(SnmpClient&& other) noexcept = default;

void SnmpClient::Interrupt() {
    const std::uint64_t one = 1;
    // Fails only without an event, which SendRequest reports itself.
    [[maybe_unused]] const ssize_t written = write(interruptEvent_.Get(), &one, sizeof one);
}

void SnmpClient::ClearInterrupt() {
    std::uint64_t count = 0;
    // Reading resets the counter; an event that is not raised has nothing to read.
    [[maybe_unused]] const ssize_t taken = read(interruptEvent_.Get(), &count, sizeof count);
}

Status SnmpClient::CheckNotInterrupted() const {
    if (!interruptEvent_.Valid()) {
        return MakeError(ErrorCode::SocketError,
                         std::string("eventfd: ") + std::strerror(interruptEventError_));
    }
    if (Readable(interruptEvent_.Get())) {
        return InterruptedError("interrupted before sending");
    }
    return Done{};
}

Status SnmpClient::EnsureSocket(const TargetAddress& address) {
    if (socket_.Valid() && connectedTo_ &&
        SameEndpoint(*connectedTo_, address.address, address.length)) {
        return Done{};
    }
    connectedTo_.reset();
    // Non-blocking, so that neither a send nor a receive can hold the caller past the
    // deadline: a datagram that poll announced may be gone by the time it is read.
    socket_.Reset(socket(address.Family(), SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket_.Valid()) {
        return SocketFailure("socket");
    }
    // Best effort: a smaller buffer still works, it only holds a shorter burst.
    const int size = ReceiveBufferSize;
    setsockopt(socket_.Get(), SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    if (connect(socket_.Get(), address.Get(), address.length) != 0) {
        const Error failure = SocketFailure("connect");
        socket_.Reset(-1);
        return failure;
    }
    connectedTo_ = address;
    return Done{};
}

Result<TargetAddress> SnmpClient::AddressOfTarget() {
    auto target = SplitHostAndPort(settings_.targetHost, settings_.targetPort);
    if (!target) {
        return target.GetError();
    }
    if (resolved_ && resolved_->target == target.Value()) {
        return resolved_->address;
    }
    // A failure is not kept: the next exchange asks the resolver again.
    resolved_.reset();
    auto address = resolver_(target.Value());
    if (address) {
        resolved_ = ResolvedTarget{std::move(target).Value(), address.Value()};
    }
    return address;
}

Status SnmpClient::SendRequest() {
    reply_.Clear();
    if (auto usable = CheckNotInterrupted(); !usable) {
        return usable;
    }
    auto address = AddressOfTarget();
    if (!address) {
        return address.GetError();
    }
    request_.requestId = FreshRequestId();
    auto datagram = EncodeMessage(request_);
    if (!datagram) {
        return datagram.GetError();
    }
    if (auto opened = EnsureSocket(address.Value()); !opened) {
        return opened;
    }
    const auto deadline = std::chrono::steady_clock::now() + settings_.timeout;
    if (auto sent = Send(datagram.Value(), deadline); !sent) {
        return sent;
    }
    return AwaitAnswer(address.Value(), deadline);
}

Status SnmpClient::Send(const Bytes& datagram, std::chrono::steady_clock::time_point deadline) {
    bool reportTaken = false;
    while (send(socket_.Get(), datagram.data(), datagram.size(), MSG_DONTWAIT) < 0) {
        if (errno == ECONNREFUSED && !reportTaken) {
            reportTaken = true;  // an earlier request's port-unreachable report, now cleared
            continue;
        }
        if (errno != EINTR && errno != EAGAIN) {
            return SocketFailure("send");
        }
        // A full send buffer: wait for room, but no longer than for the answer.
        auto writable = WaitReady(socket_.Get(), POLLOUT, interruptEvent_.Get(), deadline);
        if (!writable) {
            return writable.GetError();
        }
        if (writable.Value() == Wait::Interrupted) {
            return InterruptedError("interrupted while sending");
        }
        if (writable.Value() == Wait::TimedOut) {
            return MakeError(ErrorCode::Timeout, "the request could not be sent");
        }
    }
    return Done{};
}

Status SnmpClient::AwaitAnswer(const TargetAddress& address,
                               std::chrono::steady_clock::time_point deadline) {
    receiveBuffer_.resize(MaxDatagram + 1);
    std::string lastRejection = "no datagram from the agent";
    while (true) {
        auto readable = WaitReady(socket_.Get(), POLLIN, interruptEvent_.Get(), deadline);
        if (!readable) {
            return readable.GetError();
        }
        if (readable.Value() == Wait::Interrupted) {
            return InterruptedError("interrupted while waiting for the answer");
        }
        if (readable.Value() == Wait::TimedOut) {
            return MakeError(ErrorCode::Timeout, lastRejection);
        }
        sockaddr_storage from{};
        socklen_t fromLength = sizeof from;
        const ssize_t received =
            recvfrom(socket_.Get(), receiveBuffer_.data(), receiveBuffer_.size(),
                     MSG_TRUNC | MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (received < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            if (errno == ECONNREFUSED) {
                // Nothing listens on the agent's port now; it may yet start to.
                lastRejection = "the agent's port is closed (port unreachable)";
                continue;
            }
            return SocketFailure("recvfrom");
        }
        if (!SameEndpoint(address, from, fromLength)) {
            lastRejection = "datagram from another address or port";
            continue;
        }
        if (static_cast<std::size_t>(received) > MaxDatagram) {
            lastRejection = "datagram too large";
            continue;
        }
        auto decoded = DecodeMessage(std::span<const std::uint8_t>(
            receiveBuffer_.data(), static_cast<std::size_t>(received)));
        lastRejection = Rejection(decoded, request_.requestId);
        if (lastRejection.empty()) {
            reply_ = std::move(decoded).Value();
            return Done{};
        }
    }
}

}  // namespace korvalin::snmp
