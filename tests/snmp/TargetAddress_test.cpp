#include "snmp/TargetAddress.h"

#include <gtest/gtest.h>
#include <netinet/in.h>

namespace korvalin::snmp {
namespace {

TEST(HostAndPortText, SplitsAPortOffWhereOneIsWritten) {
    const struct {
        const char* target;
        const char* host;
        const char* port;
    } cases[] = {
        {"192.168.1.1", "192.168.1.1", "161"},
        {"router.example", "router.example", "161"},
        {"192.168.1.1:1161", "192.168.1.1", "1161"},
        {"localhost:65535", "localhost", "65535"},
        {"::1", "::1", "161"},
        {"fe80::1%eth0", "fe80::1%eth0", "161"},
        {"[::1]", "::1", "161"},
        {"[2001:db8::5]:10161", "2001:db8::5", "10161"},
    };
    for (const auto& c : cases) {
        auto split = SplitHostAndPort(c.target, "161");
        ASSERT_TRUE(split) << c.target;
        EXPECT_EQ(split.Value().host, c.host) << c.target;
        EXPECT_EQ(split.Value().port, c.port) << c.target;
    }
}

TEST(HostAndPortText, RefusesEmptyHostsAndBadPorts) {
    const char* const refused[] = {"",           ":161",    "host:",     "host:0",
                                   "host:65536", "host:x1", "host:16 1", "[::1",
                                   "[::1]x",     "[::1]:",  "[]:161",    "[::1]:99999"};
    for (const char* target : refused) {
        auto split = SplitHostAndPort(target, "161");
        ASSERT_FALSE(split) << "'" << target << "'";
        EXPECT_EQ(split.GetError().code, ErrorCode::InvalidHost) << target;
    }
}

TEST(TargetResolution, ReadsLiteralsOfBothFamiliesAndLocalNames) {
    auto v4 = ResolveTarget({"127.0.0.1", "1161"});
    ASSERT_TRUE(v4);
    EXPECT_EQ(v4.Value().Family(), AF_INET);
    EXPECT_EQ(ntohs(reinterpret_cast<const sockaddr_in&>(v4.Value().address).sin_port), 1161);

    auto v6 = ResolveTarget({"::1", "161"});
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6.Value().Family(), AF_INET6);

    // "localhost" comes from the hosts file, so no name server is asked.
    auto named = ResolveTarget({"localhost", "161"});
    ASSERT_TRUE(named);
    EXPECT_TRUE(named.Value().Family() == AF_INET || named.Value().Family() == AF_INET6);
}

}  // namespace
}  // namespace korvalin::snmp
