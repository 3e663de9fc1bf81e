#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "snmp/MessageCodec.h"
#include "snmp/ObjectIdentifier.h"

namespace korvalin::testing {

// A scripted SNMP agent on a loopback UDP socket of its own, running in a thread. By
// default it answers get and get-next from a table of objects, the way an agent does;
// a test can make it silent, answer only some requests, or replace every answer with
// crafted datagrams (sent from its own port or from another one).
class FakeSnmpAgent {
public:
    struct Reply {
        snmp::Bytes datagram;
        bool fromOtherPort = false;
    };
    // Gets the decoded request (or nothing when it did not decode) and the raw datagram;
    // returns the datagrams to send back.
    using Script =
        std::function<std::vector<Reply>(const snmp::Message* request, const snmp::Bytes& raw)>;

    explicit FakeSnmpAgent(int family = AF_INET) : family_(family) {
        socket_ = OpenBound(family_, port_);
        otherSocket_ = OpenBound(family_, otherPort_);
        thread_ = std::thread([this] { Serve(); });
    }

    ~FakeSnmpAgent() {
        stop_ = true;
        thread_.join();
        close(socket_);
        close(otherSocket_);
    }

    FakeSnmpAgent(const FakeSnmpAgent&) = delete;
    FakeSnmpAgent& operator=(const FakeSnmpAgent&) = delete;

    // The text a client uses as host: "127.0.0.1:PORT" or "[::1]:PORT".
    std::string Target() const {
        const std::string port = std::to_string(port_);
        return family_ == AF_INET ? "127.0.0.1:" + port : "[::1]:" + port;
    }

    void SetObject(const std::string& oid, snmp::Value value) {
        std::lock_guard lock(mutex_);
        objects_[Parse(oid)] = std::move(value);
    }
    void RemoveObject(const std::string& oid) {
        std::lock_guard lock(mutex_);
        objects_.erase(Parse(oid));
    }
    // Requests with another community get no answer at all.
    void SetCommunity(std::string community) {
        std::lock_guard lock(mutex_);
        community_ = std::move(community);
    }
    // Answers only this many more requests, then stays silent (negative: no limit).
    void AnswerOnly(int count) {
        std::lock_guard lock(mutex_);
        answersLeft_ = count;
    }
    void SetScript(Script script) {
        std::lock_guard lock(mutex_);
        script_ = std::move(script);
    }

    std::vector<snmp::Message> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    int RequestCount() const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(requests_.size());
    }

    // The GetResponse a real agent would send for the request, with the given varbinds.
    static snmp::Bytes ResponseTo(const snmp::Message& request, std::vector<snmp::VarBind> varbinds,
                                  std::int32_t errorStatus = 0, std::int32_t errorIndex = 0) {
        snmp::Message response = request;
        response.pduType = snmp::PduType::GetResponse;
        response.errorStatus = errorStatus;
        response.errorIndex = errorIndex;
        response.varbinds = std::move(varbinds);
        return snmp::EncodeMessage(response).Value();
    }

    // The answer the agent's table gives the request, for scripts that poison only some
    // answers. Scripts run with the agent locked, so this takes no lock.
    snmp::Bytes AnswerFromTable(const snmp::Message& request) const { return FromTable(request); }

private:
    static snmp::ObjectIdentifier Parse(const std::string& oid) {
        auto parsed = snmp::ParseObjectIdentifier(oid);
        if (!parsed) {
            throw std::invalid_argument("bad object identifier " + oid);
        }
        return parsed.Value();
    }

    static int OpenBound(int family, std::uint16_t& port) {
        const int fd = socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_storage address{};
        socklen_t length = 0;
        if (family == AF_INET) {
            auto& v4 = reinterpret_cast<sockaddr_in&>(address);
            v4.sin_family = AF_INET;
            v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            length = sizeof v4;
        } else {
            auto& v6 = reinterpret_cast<sockaddr_in6&>(address);
            v6.sin6_family = AF_INET6;
            v6.sin6_addr = in6addr_loopback;
            length = sizeof v6;
        }
        if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error(std::string("fake agent socket: ") + std::strerror(errno));
        }
        port = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in&>(address).sin_port
                                       : reinterpret_cast<sockaddr_in6&>(address).sin6_port);
        return fd;
    }

    void Serve() {
        std::vector<std::uint8_t> buffer(65536);
        while (!stop_) {
            pollfd entry{socket_, POLLIN, 0};
            if (poll(&entry, 1, 20) <= 0) {
                continue;
            }
            sockaddr_storage from{};
            socklen_t fromLength = sizeof from;
            const ssize_t size = recvfrom(socket_, buffer.data(), buffer.size(), 0,
                                          reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (size < 0) {
                continue;
            }
            const snmp::Bytes raw(buffer.begin(), buffer.begin() + size);
            for (const Reply& reply : Answer(raw)) {
                sendto(reply.fromOtherPort ? otherSocket_ : socket_, reply.datagram.data(),
                       reply.datagram.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
            }
        }
    }

    std::vector<Reply> Answer(const snmp::Bytes& raw) {
        std::lock_guard lock(mutex_);
        auto request = snmp::DecodeMessage(raw);
        if (request) {
            requests_.push_back(request.Value());
        }
        if (answersLeft_ == 0) {
            return {};
        }
        if (answersLeft_ > 0) {
            --answersLeft_;
        }
        if (script_) {
            return script_(request ? &request.Value() : nullptr, raw);
        }
        if (!request || request.Value().community != community_) {
            return {};
        }
        return {Reply{FromTable(request.Value())}};
    }

    snmp::Bytes FromTable(const snmp::Message& request) const {
        std::vector<snmp::VarBind> varbinds;
        for (std::size_t i = 0; i < request.varbinds.size(); ++i) {
            const auto oid = Parse(request.varbinds[i].oid);
            auto found = request.pduType == snmp::PduType::GetNextRequest
                             ? objects_.upper_bound(oid)
                             : objects_.find(oid);
            if (found == objects_.end()) {
                // noSuchName, with the request's varbinds echoed as version 1 does.
                return ResponseTo(request, request.varbinds, 2, static_cast<std::int32_t>(i + 1));
            }
            varbinds.push_back({snmp::FormatObjectIdentifier(found->first), found->second});
        }
        return ResponseTo(request, varbinds);
    }

    int family_;
    int socket_ = -1;
    int otherSocket_ = -1;
    std::uint16_t port_ = 0;
    std::uint16_t otherPort_ = 0;
    std::atomic<bool> stop_{false};

    mutable std::mutex mutex_;
    std::map<snmp::ObjectIdentifier, snmp::Value> objects_;
    std::string community_ = "public";
    int answersLeft_ = -1;
    Script script_;
    std::vector<snmp::Message> requests_;

    std::thread thread_;
};

}  // namespace korvalin::testing
