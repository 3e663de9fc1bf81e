#include "platform/linux/NetlinkSocket.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvalin {

namespace {

// Large enough for the biggest datagram the kernel sends in a dump.
constexpr std::size_t ReceiveBufferSize = 64 * 1024;
constexpr int ReceiveTimeoutSeconds = 5;

}  // namespace

NetlinkSocket::~NetlinkSocket() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool NetlinkSocket::Open() {
    if (fd_ >= 0) {
        return true;
    }
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) {
        return false;
    }
    // A kernel that never answers must not hang the user-interface thread for ever.
    timeval timeout{};
    timeout.tv_sec = ReceiveTimeoutSeconds;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    // Room for the announcements of many links changing at once; an overflow is still
    // noticed (ENOBUFS), it only costs a fresh link dump.
    const int receiveBuffer = 1 << 20;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    buffer_.resize(ReceiveBufferSize);
    return true;
}

bool NetlinkSocket::WatchLinkChanges(std::function<void()> onChange) {
    if (fd_ < 0) {
        return false;
    }
    int group = RTNLGRP_LINK;
    if (::setsockopt(fd_, SOL_NETLINK, NETLINK_ADD_MEMBERSHIP, &group, sizeof group) != 0) {
        return false;
    }
    onLinkChange_ = std::move(onChange);
    return true;
}

long NetlinkSocket::Receive(bool wait) {
    while (true) {
        const ssize_t received =
            ::recv(fd_, buffer_.data(), buffer_.size(), wait ? 0 : MSG_DONTWAIT);
        if (received >= 0) {
            return static_cast<long>(received);
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == ENOBUFS) {
            // Announcements were dropped: whatever they said must be taken as changed.
            if (onLinkChange_) {
                onLinkChange_();
            }
            continue;
        }
        return (errno == EAGAIN || errno == EWOULDBLOCK) && !wait ? 0 : -1;
    }
}

void NetlinkSocket::DrainAnnouncements() {
    if (fd_ < 0) {
        return;
    }
    bool finished = false;
    for (long received = Receive(false); received > 0; received = Receive(false)) {
        HandleDatagram(
            static_cast<std::size_t>(received), true, [](const nlmsghdr&) {}, finished);
    }
}

bool NetlinkSocket::Send(std::uint16_t type, std::uint16_t flags,
                         std::span<const std::uint8_t> payload) {
    request_.assign(NLMSG_HDRLEN + NLMSG_ALIGN(payload.size()), 0);
    nlmsghdr header{};
    header.nlmsg_len = static_cast<std::uint32_t>(NLMSG_HDRLEN + payload.size());
    header.nlmsg_type = type;
    header.nlmsg_flags = static_cast<std::uint16_t>(flags | NLM_F_REQUEST);
    header.nlmsg_seq = ++sequence_;
    std::memcpy(request_.data(), &header, sizeof header);
    if (!payload.empty()) {
        std::memcpy(request_.data() + NLMSG_HDRLEN, payload.data(), payload.size());
    }
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    ssize_t sent = -1;
    do {
        sent = ::sendto(fd_, request_.data(), header.nlmsg_len, 0,
                        reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(header.nlmsg_len);
}

bool NetlinkSocket::Exchange(std::uint16_t type, std::uint16_t flags,
                             std::span<const std::uint8_t> payload,
                             const MessageHandler& onMessage) {
    if (fd_ < 0 || !Send(type, flags, payload)) {
        return false;
    }
    const bool dump = (flags & NLM_F_DUMP) == NLM_F_DUMP;
    bool finished = false;
    bool ok = true;
    while (!finished) {
        const long received = Receive(true);
        if (received < 0) {
            return false;
        }
        if (!HandleDatagram(static_cast<std::size_t>(received), dump, onMessage, finished)) {
            ok = false;  // keeps reading, so the rest of this answer does not stay queued
        }
    }
    return ok;
}

bool NetlinkSocket::HandleDatagram(std::size_t length, bool dump, const MessageHandler& onMessage,
                                   bool& finished) {
    bool ok = true;
    std::size_t offset = 0;
    while (offset + sizeof(nlmsghdr) <= length) {
        nlmsghdr header{};
        std::memcpy(&header, buffer_.data() + offset, sizeof header);
        if (header.nlmsg_len < sizeof(nlmsghdr) || offset + header.nlmsg_len > length) {
            finished = true;  // a malformed answer: nothing after it can be trusted
            return false;
        }
        const std::size_t next = offset + NLMSG_ALIGN(header.nlmsg_len);
        // Answers carry this socket's port and the request's sequence number; link
        // announcements carry neither.
        const bool answer = header.nlmsg_pid != 0 && header.nlmsg_seq == sequence_;
        if (!answer) {
            if ((header.nlmsg_type == RTM_NEWLINK || header.nlmsg_type == RTM_DELLINK) &&
                onLinkChange_) {
                onLinkChange_();
            }
        } else {
            if (header.nlmsg_type == NLMSG_DONE) {
                finished = true;
            } else if (header.nlmsg_type == NLMSG_ERROR) {
                nlmsgerr error{};
                if (header.nlmsg_len >= NLMSG_LENGTH(sizeof error)) {
                    std::memcpy(&error, buffer_.data() + offset + NLMSG_HDRLEN, sizeof error);
                }
                if (error.error != 0 || header.nlmsg_len < NLMSG_LENGTH(sizeof error)) {
                    ok = false;
                }
                finished = true;
            } else {
                // The handler reads from an aligned copy of the header only; the body
                // follows it in the buffer.
                onMessage(*reinterpret_cast<const nlmsghdr*>(buffer_.data() + offset));
                if (!dump) {
                    finished = true;
                }
            }
        }
        offset = next;
    }
    return ok;
}

}  // namespace korvalin
