#include "snmp/SnmpClient.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <set>
#include <thread>

#include "fakes/FakeSnmpAgent.h"
#include "snmp/FileDescriptor.h"
#include "snmp/MessageCodec.h"
#include "snmp/SnmpTestBytes.h"

namespace korvalin::snmp {
namespace {

using korvalin::testing::FakeSnmpAgent;
using Reply = FakeSnmpAgent::Reply;

constexpr auto ShortTimeout = std::chrono::milliseconds(300);
const char* const SysDescr = "1.3.6.1.2.1.1.1.0";

SnmpClient ClientFor(const FakeSnmpAgent& agent) {
    SnmpClient client(ClientSettings{agent.Target(), "161", ShortTimeout});
    client.Request().community = "public";
    client.Request().varbinds = {{SysDescr, Value::Null()}};
    return client;
}

Message Answered(const Message& request, const char* text) {
    Message reply = request;
    reply.pduType = PduType::GetResponse;
    reply.varbinds = {{SysDescr, Value::OctetString(text)}};
    return reply;
}

Bytes Encoded(const Message& message) {
    return EncodeMessage(message).Value();
}

TEST(SnmpClientDefaults, PortIs161TimeoutFiveSecondsVersionOne) {
    const SnmpClient client;
    EXPECT_EQ(client.Settings().targetPort, "161");
    EXPECT_EQ(client.Settings().timeout, std::chrono::milliseconds(5000));
    EXPECT_EQ(client.Request().version, 0);
    EXPECT_EQ(client.Request().pduType, PduType::GetRequest);
}

class SnmpClientOverFamilies : public ::testing::TestWithParam<int> {};

TEST_P(SnmpClientOverFamilies, GetsAnObjectFromTheAgent) {
    FakeSnmpAgent agent(GetParam());
    agent.SetObject(SysDescr, Value::OctetString("Test router"));
    SnmpClient client = ClientFor(agent);
    const Status status = client.SendRequest();
    ASSERT_TRUE(status) << status.GetError().detail;
    ASSERT_EQ(client.Reply().varbinds.size(), 1u);
    EXPECT_EQ(client.Reply().varbinds[0].value.text, "Test router");
    ASSERT_EQ(agent.RequestCount(), 1);
    const Message sent = agent.Requests()[0];
    EXPECT_EQ(sent.version, 0);
    EXPECT_EQ(sent.community, "public");
    ASSERT_EQ(sent.varbinds.size(), 1u);
    EXPECT_EQ(sent.varbinds[0].value.type, ValueType::Null);
}

INSTANTIATE_TEST_SUITE_P(IPv4AndIPv6, SnmpClientOverFamilies, ::testing::Values(AF_INET, AF_INET6));

TEST(SnmpClientExchange, EveryRequestGetsAFreshRequestId) {
    FakeSnmpAgent agent;
    agent.SetObject(SysDescr, Value::OctetString("x"));
    SnmpClient client = ClientFor(agent);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(client.SendRequest());
        EXPECT_EQ(client.Reply().requestId, client.Request().requestId);
    }
    std::set<std::int32_t> ids;
    for (const Message& request : agent.Requests()) {
        EXPECT_GT(request.requestId, 0);
        ids.insert(request.requestId);
    }
    EXPECT_EQ(ids.size(), 20u);
}

TEST(SnmpClientExchange, IgnoresWhatDoesNotAnswerTheRequestAndTakesTheAnswerAfterIt) {
    FakeSnmpAgent agent;
    agent.SetScript([](const Message* request, const Bytes&) {
        Message otherId = Answered(*request, "wrong id");
        otherId.requestId = request->requestId ^ 0x1;
        Message notAResponse = Answered(*request, "a request");
        notAResponse.pduType = PduType::GetRequest;
        Bytes cut = Encoded(Answered(*request, "cut short"));
        cut.resize(cut.size() - 3);
        return std::vector<Reply>{
            {Encoded(otherId)},
            {Encoded(Answered(*request, "from another port")), true},
            {cut},
            {Encoded(notAResponse)},
            {testing::Hex("30 80 00 00")},
            {Encoded(Answered(*request, "the answer"))},
        };
    });
    SnmpClient client = ClientFor(agent);
    const Status status = client.SendRequest();
    ASSERT_TRUE(status) << status.GetError().detail;
    EXPECT_EQ(client.Reply().varbinds[0].value.text, "the answer");
}

TEST(SnmpClientExchange, TimesOutWhenNothingAcceptableArrivesAndNamesTheLastRefusal) {
    const struct {
        const char* name;
        std::function<Reply(const Message&)> reply;
        const char* reason;
    } cases[] = {
        {"silent agent", nullptr, "no datagram"},
        {"wrong request-id",
         [](const Message& request) {
             Message reply = Answered(request, "x");
             reply.requestId = request.requestId + 1;
             return Reply{Encoded(reply)};
         },
         "request-id"},
        // The socket is connected to the agent: the kernel drops the datagram.
        {"another port",
         [](const Message& request) {
             return Reply{Encoded(Answered(request, "x")), true};
         },
         "no datagram"},
        {"truncated",
         [](const Message& request) {
             Bytes cut = Encoded(Answered(request, "x"));
             cut.resize(cut.size() / 2);
             return Reply{cut};
         },
         "undecodable"},
        {"length that lies",
         [](const Message& request) {
             Bytes lie = Encoded(Answered(request, "x"));
             lie[1] = 0x7f;
             return Reply{lie};
         },
         "length beyond"},
        {"huge object identifier",
         [](const Message& request) {
             Bytes oid{0x2b};
             oid.resize(5000, 0x81);  // sub-identifiers that never end
             oid.push_back(0x01);
             return Reply{testing::MessageAround(testing::Join(
                 {testing::Int(request.requestId), testing::Int(0), testing::Int(0),
                  testing::Wrap(
                      tag::Sequence,
                      {testing::Wrap(tag::Sequence,
                                     {ber::Element(tag::ObjectIdentifier, oid), ber::Null()})})}))};
         },
         "object identifier"},
        {"deep nesting",
         [](const Message& request) {
             Bytes value = ber::Null();
             for (int i = 0; i < 200; ++i) {
                 value = ber::Element(tag::Sequence, value);
             }
             return Reply{testing::MessageAround(testing::Join(
                 {testing::Int(request.requestId), testing::Int(0), testing::Int(0),
                  testing::Wrap(
                      tag::Sequence,
                      {testing::Wrap(tag::Sequence,
                                     {ber::ObjectIdentifierElement({1, 3, 6, 1}), value})})}))};
         },
         "nesting too deep"},
        {"echoed request", [](const Message& request) { return Reply{Encoded(request)}; },
         "no GetResponse"},
    };
    for (const auto& c : cases) {
        FakeSnmpAgent agent;
        agent.SetScript([&c](const Message* request, const Bytes&) {
            return c.reply ? std::vector<Reply>{c.reply(*request)} : std::vector<Reply>{};
        });
        SnmpClient client = ClientFor(agent);
        const Status status = client.SendRequest();
        ASSERT_FALSE(status) << c.name;
        EXPECT_EQ(status.GetError().code, ErrorCode::Timeout) << c.name;
        EXPECT_NE(status.GetError().detail.find(c.reason), std::string::npos)
            << c.name << ": " << status.GetError().detail;
        EXPECT_TRUE(client.Reply().varbinds.empty()) << c.name;
    }
}

TEST(SnmpClientExchange, RefusesBadRequestsBeforeSendingAnything) {
    FakeSnmpAgent agent;
    SnmpClient client = ClientFor(agent);
    client.Request().varbinds = {{"1.3.6.x", Value::Null()}};
    EXPECT_EQ(client.SendRequest().GetError().code, ErrorCode::InvalidObjectIdentifier);
    client.Request().varbinds = {{SysDescr, Value::Null()}};
    client.Settings().targetHost = "";
    EXPECT_EQ(client.SendRequest().GetError().code, ErrorCode::InvalidHost);
    client.Settings().targetHost = "127.0.0.1:0";
    EXPECT_EQ(client.SendRequest().GetError().code, ErrorCode::InvalidHost);
    EXPECT_EQ(agent.RequestCount(), 0);
}

// Records every look-up and answers through the real resolver, or fails while told to.
struct CountingResolver {
    std::vector<HostAndPort> lookUps;
    int failuresLeft = 0;

    Resolver Get() {
        return [this](const HostAndPort& target) -> Result<TargetAddress> {
            lookUps.push_back(target);
            if (failuresLeft > 0) {
                --failuresLeft;
                return MakeError(ErrorCode::HostNotFound, target.host);
            }
            return ResolveTarget(target);
        };
    }
};

std::string PortOf(const FakeSnmpAgent& agent) {
    return SplitHostAndPort(agent.Target(), "161").Value().port;
}

TEST(SnmpClientResolution, ResolvesOnceAndAgainOnlyWhenHostOrPortChange) {
    FakeSnmpAgent first;
    FakeSnmpAgent second;
    first.SetObject(SysDescr, Value::OctetString("first"));
    second.SetObject(SysDescr, Value::OctetString("second"));
    CountingResolver resolver;
    SnmpClient client(ClientSettings{first.Target(), "161", ShortTimeout}, resolver.Get());
    client.Request().community = "public";
    client.Request().varbinds = {{SysDescr, Value::Null()}};

    const struct {
        std::string host;
        std::string port;
        const char* answer;
        std::size_t lookUps;
    } steps[] = {
        {first.Target(), "161", "first", 1},
        {first.Target(), "161", "first", 1},
        {first.Target(), "161", "first", 1},
        {second.Target(), "161", "second", 2},
        {second.Target(), "161", "second", 2},
        {first.Target(), "161", "first", 3},
        // The same host and port written another way: no new look-up.
        {"127.0.0.1", PortOf(first), "first", 3},
        // Only the port changes (the host names none, so the default port counts).
        {"127.0.0.1", PortOf(second), "second", 4},
        {"127.0.0.1", PortOf(second), "second", 4},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        client.Settings().targetHost = steps[i].host;
        client.Settings().targetPort = steps[i].port;
        const Status status = client.SendRequest();
        ASSERT_TRUE(status) << status.GetError().detail;
        EXPECT_EQ(client.Reply().varbinds[0].value.text, steps[i].answer);
        EXPECT_EQ(resolver.lookUps.size(), steps[i].lookUps);
    }
    EXPECT_EQ(first.RequestCount(), 5);
    EXPECT_EQ(second.RequestCount(), 4);
}

TEST(SnmpClientResolution, FailedResolutionIsTriedAgainAtTheNextExchange) {
    FakeSnmpAgent agent;
    agent.SetObject(SysDescr, Value::OctetString("x"));
    CountingResolver resolver;
    resolver.failuresLeft = 2;
    SnmpClient client(ClientSettings{agent.Target(), "161", ShortTimeout}, resolver.Get());
    client.Request().community = "public";
    client.Request().varbinds = {{SysDescr, Value::Null()}};
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const Status status = client.SendRequest();
        ASSERT_FALSE(status) << "attempt " << attempt;
        EXPECT_EQ(status.GetError().code, ErrorCode::HostNotFound);
        EXPECT_EQ(resolver.lookUps.size(), static_cast<std::size_t>(attempt));
    }
    EXPECT_EQ(agent.RequestCount(), 0);
    ASSERT_TRUE(client.SendRequest());
    ASSERT_TRUE(client.SendRequest());
    EXPECT_EQ(resolver.lookUps.size(), 3u) << "the successful look-up is kept";
    EXPECT_EQ(agent.RequestCount(), 2);
}

// A loopback UDP socket that takes datagrams and never answers.
class SilentPeer {
public:
    SilentPeer() : socket_(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_.Get() < 0 ||
            bind(socket_.Get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "silent peer socket: " << std::strerror(errno);
        }
        port_ = ntohs(address.sin_port);
    }

    std::string Target() const { return "127.0.0.1:" + std::to_string(port_); }

    // Waits for a datagram and takes it; false when none came in time.
    bool AwaitDatagram(std::chrono::milliseconds timeout) {
        pollfd entry{socket_.Get(), POLLIN, 0};
        return poll(&entry, 1, static_cast<int>(timeout.count())) == 1 && TakeQueued();
    }

    // Takes a datagram that has already arrived; false when there is none.
    bool TakeQueued() {
        char buffer[2048];
        return recv(socket_.Get(), buffer, sizeof buffer, MSG_DONTWAIT) >= 0;
    }

private:
    FileDescriptor socket_;
    std::uint16_t port_ = 0;
};

TEST(SnmpClientInterrupt, EndsAWaitAtOnceFromAnotherThreadAndHoldsUntilCleared) {
    SilentPeer peer;
    const auto timeout = std::chrono::milliseconds(5000);
    SnmpClient client(ClientSettings{peer.Target(), "161", timeout});
    client.Request().community = "public";
    client.Request().varbinds = {{SysDescr, Value::Null()}};

    // Once the request has reached the peer the client waits (or is about to, and then
    // finds the event already raised).
    bool requestArrived = false;
    std::thread interrupter([&] {
        requestArrived = peer.AwaitDatagram(std::chrono::seconds(10));
        client.Interrupt();
    });
    const auto start = std::chrono::steady_clock::now();
    const Status interrupted = client.SendRequest();
    const auto waited = std::chrono::steady_clock::now() - start;
    interrupter.join();
    ASSERT_TRUE(requestArrived);
    ASSERT_FALSE(interrupted);
    EXPECT_EQ(interrupted.GetError().code, ErrorCode::Interrupted)
        << Describe(interrupted.GetError().code) << ": " << interrupted.GetError().detail;
    EXPECT_LT(waited, timeout);

    // Still interrupted: fails at once and sends nothing (loopback delivers within sendto).
    client.Interrupt();
    const Status again = client.SendRequest();
    ASSERT_FALSE(again);
    EXPECT_EQ(again.GetError().code, ErrorCode::Interrupted);
    EXPECT_FALSE(peer.TakeQueued()) << "an interrupted client sent a request";

    FakeSnmpAgent agent;
    agent.SetScript([](const Message* request, const Bytes&) {
        return std::vector<Reply>{{Encoded(Answered(*request, "after the interrupt"))}};
    });
    client.Settings().targetHost = agent.Target();
    client.ClearInterrupt();
    const Status answered = client.SendRequest();
    ASSERT_TRUE(answered) << Describe(answered.GetError().code) << ": "
                          << answered.GetError().detail;
    EXPECT_EQ(client.Reply().varbinds[0].value.text, "after the interrupt");
    EXPECT_EQ(agent.RequestCount(), 1);
}

TEST(SnmpClientExchange, AnswersWithAnErrorStatusStillCount) {
    FakeSnmpAgent agent;  // an empty table answers noSuchName
    SnmpClient client = ClientFor(agent);
    ASSERT_TRUE(client.SendRequest());
    EXPECT_EQ(client.Reply().errorStatus, 2);
    EXPECT_EQ(client.Reply().errorIndex, 1);
}

}  // namespace
}  // namespace korvalin::snmp
