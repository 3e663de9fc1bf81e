#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

struct nlmsghdr;

namespace korvalin {

// One rtnetlink socket: sends a request to the kernel and hands every message of the
// answer to a callback. Owns its file descriptor; closed on destruction.
class NetlinkSocket {
public:
    NetlinkSocket() = default;
    ~NetlinkSocket();
    NetlinkSocket(const NetlinkSocket&) = delete;
    NetlinkSocket& operator=(const NetlinkSocket&) = delete;

    // Opens the socket in the calling thread's network namespace; true on success or
    // when already open.
    bool Open();
    bool IsOpen() const { return fd_ >= 0; }

    // Asks the kernel to announce every change of a link on this socket; onChange runs
    // for each announcement met while receiving, and when announcements were lost
    // because the socket's buffer overflowed. False when the subscription failed.
    bool WatchLinkChanges(std::function<void()> onChange);
    // Works off the announcements queued so far, without waiting.
    void DrainAnnouncements();

    using MessageHandler = std::function<void(const nlmsghdr& message)>;

    // Sends a request of the given type with payload (the family header and attributes)
    // and calls onMessage for every answer message that is neither an error nor the end
    // of a dump. A dump (NLM_F_DUMP in flags) ends at NLMSG_DONE, any other request after
    // its first answer. False when sending or receiving fails or the kernel answers with
    // an error (no such interface, for example).
    bool Exchange(std::uint16_t type, std::uint16_t flags, std::span<const std::uint8_t> payload,
                  const MessageHandler& onMessage);

private:
    // Receives one datagram; 0 when nothing is queued and wait is false, -1 on failure.
    long Receive(bool wait);
    bool Send(std::uint16_t type, std::uint16_t flags, std::span<const std::uint8_t> payload);
    // Handles one received datagram; sets finished when the answer is complete.
    bool HandleDatagram(std::size_t length, bool dump, const MessageHandler& onMessage,
                        bool& finished);

    int fd_ = -1;
    std::uint32_t sequence_ = 0;
    std::function<void()> onLinkChange_;
    std::vector<std::uint8_t> request_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace korvalin
