#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "integration/support/NetNamespace.h"

namespace korvalin {
namespace {

using testing::NetNamespace;
using testing::ShellQuote;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::int64_t Field(const std::string& json, const std::string& key) {
    std::smatch match;
    const std::regex pattern("\"" + key + "\":([0-9]+)");
    return std::regex_search(json, match, pattern) ? std::stoll(match[1]) : -1;
}

// The real program, run inside a namespace with one veth ("kvc") to a second one.
class ConsoleViewNetns : public ::testing::Test {
protected:
    void SetUp() override {
        KORVALIN_SKIP_WITHOUT_NETNS();
        near_ = std::make_unique<NetNamespace>("cnear");
        far_ = std::make_unique<NetNamespace>("cfar");
        ASSERT_TRUE(near_->Ok()) << near_->Error();
        ASSERT_TRUE(far_->Ok()) << far_->Error();
        ASSERT_TRUE(near_->DisableIpv6());
        ASSERT_TRUE(far_->DisableIpv6());
        ASSERT_TRUE(near_->AddVethPair("kvc", "10.232.0.1/24", "kvd", "10.232.0.2/24", far_.get()))
            << near_->Error();
    }

    // Runs korvalin inside the near namespace without a display; stdout only.
    int Korvalin(const std::string& arguments, std::string& out, std::string* err = nullptr,
                 const std::string& environment = "") {
        const std::string errFile = "/tmp/korvalin-console-test-" + near_->Name() + ".err";
        const int status = near_->Run("env -u DISPLAY -u WAYLAND_DISPLAY " + environment + " " +
                                          ShellQuote(KORVALIN_BINARY) + " " + arguments + " 2>" +
                                          ShellQuote(errFile),
                                      &out);
        if (err != nullptr) {
            NetNamespace::RunHere("cat " + ShellQuote(errFile), err);
        }
        NetNamespace::RunHere("rm -f " + ShellQuote(errFile));
        return status;
    }

    std::unique_ptr<NetNamespace> near_;
    std::unique_ptr<NetNamespace> far_;
};

TEST_F(ConsoleViewNetns, ListsTheNamespacesAdaptersWithoutTheLoopback) {
    std::string out;
    ASSERT_EQ(Korvalin("--list-adapters", out), 0);
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 1u) << out;
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("[0-9]+\tkvc"))) << lines[0];
}

TEST_F(ConsoleViewNetns, JsonSamplesCountTheTrafficOfTheAdapter) {
    // Traffic for about three seconds in the background, inside the namespace only.
    ASSERT_EQ(near_->Run("ping -q -c 150 -i 0.02 -s 1000 10.232.0.2 >/dev/null 2>&1 &"), 0);
    std::string out;
    ASSERT_EQ(Korvalin("--console --adapter kvc --samples 2 --json", out), 0);
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 2u) << out;
    const std::regex shape(
        R"(\{"received":[0-9]+,"sent":[0-9]+,"total_received":[0-9]+,"total_sent":[0-9]+,)"
        R"("time":"[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z"\})");
    for (const auto& line : lines) {
        EXPECT_TRUE(std::regex_match(line, shape)) << line;
    }
    EXPECT_GT(Field(lines[0], "sent") + Field(lines[1], "sent"), 10 * 1042);
    EXPECT_EQ(Field(lines[1], "total_sent"), Field(lines[0], "sent") + Field(lines[1], "sent"));
    EXPECT_EQ(Field(lines[1], "total_received"),
              Field(lines[0], "received") + Field(lines[1], "received"));
}

TEST_F(ConsoleViewNetns, WithoutADisplayTheCaptionTextIsPrintedAndSaidSo) {
    // A home of its own shows that the console view writes no settings file.
    const std::string home = "/tmp/korvalin-console-home-" + near_->Name();
    ASSERT_EQ(NetNamespace::RunHere("rm -rf " + home + " && mkdir -p " + home), 0);
    std::string out, err, files;
    ASSERT_EQ(Korvalin("--samples 1 --all-in-byte", out, &err,
                       "HOME=" + home + " XDG_CONFIG_HOME=" + home + "/config"),
              0);
    NetNamespace::RunHere("find " + home + " -mindepth 1; rm -rf " + home, &files);
    EXPECT_EQ(files, "") << "the console view wrote files";
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 1u) << out;
    EXPECT_TRUE(std::regex_match(
        lines[0], std::regex("E: [0-9]+ Byte; G: [0-9]+ Byte; GE: [0-9]+ Byte; GG: [0-9]+ Byte")))
        << lines[0];
    EXPECT_NE(err.find("console view"), std::string::npos) << err;
}

TEST_F(ConsoleViewNetns, UnknownAdapterNamesTheKnownOnes) {
    std::string out, err;
    EXPECT_EQ(Korvalin("--console --adapter nosuch0", out, &err), 2);
    EXPECT_TRUE(out.empty());
    EXPECT_NE(err.find("nosuch0"), std::string::npos) << err;
    EXPECT_NE(err.find("kvc"), std::string::npos) << err;
}

TEST_F(ConsoleViewNetns, SigtermEndsTheViewCleanly) {
    std::string out;
    const std::string binary = ShellQuote(KORVALIN_BINARY);
    const int status =
        near_->Run(binary + " --console --json > /tmp/korvalin-sigterm-" + near_->Name() +
                       " & pid=$!; sleep 2.5; kill -TERM $pid; " +
                       "wait $pid; echo status=$?; cat /tmp/korvalin-sigterm-" + near_->Name() +
                       "; rm -f /tmp/korvalin-sigterm-" + near_->Name(),
                   &out);
    ASSERT_EQ(status, 0);
    EXPECT_NE(out.find("status=0"), std::string::npos) << out;
    EXPECT_NE(out.find("\"total_sent\""), std::string::npos) << out;
}

}  // namespace
}  // namespace korvalin
