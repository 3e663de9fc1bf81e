#include "console/ConsoleView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>

#include "fakes/FakeInterfaceTable.h"
#include "fakes/FakeTimerSleeper.h"
#include "platform/linux/MainLoop.h"

namespace korvalin {
namespace {

using testing::FakeInterfaceTable;
using testing::FakeTimerSleeper;

constexpr std::int64_t GiB = 1024ll * 1024 * 1024;

TEST(ConsoleLines, CaptionTextUsesWholeUnitsOrExactBytes) {
    const struct {
        ConsoleSample sample;
        bool allInByte;
        const char* line;
    } cases[] = {
        {{0, 0, 0, 0, {}}, false, "E: 0 Byte; G: 0 Byte; GE: 0 Byte; GG: 0 Byte"},
        {{50, 1536, 3 * 1024 * 1024, 5 * GiB, {}},
         false,
         "E: 50 Byte; G: 1 KB; GE: 3 MB; GG: 5 GB"},
        {{50, 1536, 3 * 1024 * 1024, 5 * GiB, {}},
         true,
         "E: 50 Byte; G: 1536 Byte; GE: 3145728 Byte; GG: 5368709120 Byte"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CaptionLine(c.sample, c.allInByte), c.line);
    }
}

TEST(ConsoleLines, JsonCarriesExactSixtyFourBitNumbersAndUtcTime) {
    const ConsoleSample sample{1, 4294967296, 5 * GiB, 0,
                               std::chrono::system_clock::from_time_t(1796976811)};
    EXPECT_EQ(JsonLine(sample),
              "{\"received\":1,\"sent\":4294967296,\"total_received\":5368709120,"
              "\"total_sent\":0,\"time\":\"2026-12-11T08:13:31Z\"}");
    EXPECT_EQ(Iso8601Utc(std::chrono::system_clock::from_time_t(0)), "1970-01-01T00:00:00Z");
}

// The console view on a fake table, its timer on virtual time, so samples come at once.
class ConsoleRig {
public:
    FakeInterfaceTable table;
    MainLoop loop;
    std::unique_ptr<AdapterMonitor> monitor =
        std::make_unique<AdapterMonitor>(table, loop, std::make_shared<FakeTimerSleeper>());
    std::ostringstream out;
    std::ostringstream err;

    ConsoleRig() {
        table.Add(1, "lo", InterfaceType::SoftwareLoopback);
        table.Add(2, "eth0");
        table.Add(5, "wlan0");
    }

    int Run(std::vector<std::string> arguments, bool display = true) {
        arguments.insert(arguments.begin(), "korvalin");
        commandLine_ = ParseCommandLine(arguments, display);
        ConsoleView view(*monitor, loop, out, err, commandLine_,
                         [] { return std::chrono::system_clock::from_time_t(0); });
        return commandLine_.mode == RunMode::ListAdapters ? view.ListAdapters() : view.Run();
    }

    int Lines() const {
        const std::string text = out.str();
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

private:
    CommandLine commandLine_;
};

TEST(ConsoleViewRun, PrintsTheWantedNumberOfSamples) {
    ConsoleRig rig;
    EXPECT_EQ(rig.Run({"--console", "--samples", "3"}), 0);
    EXPECT_EQ(rig.out.str(),
              "E: 0 Byte; G: 0 Byte; GE: 0 Byte; GG: 0 Byte\n"
              "E: 0 Byte; G: 0 Byte; GE: 0 Byte; GG: 0 Byte\n"
              "E: 0 Byte; G: 0 Byte; GE: 0 Byte; GG: 0 Byte\n");
    EXPECT_EQ(rig.err.str(), "");
    EXPECT_FALSE(rig.monitor->Active()) << "monitoring ends with the view";
    EXPECT_EQ(rig.monitor->AdapterName(), AllAdaptersText);
}

TEST(ConsoleViewRun, JsonSamplesForANamedAdapter) {
    ConsoleRig rig;
    EXPECT_EQ(rig.Run({"--console", "--adapter", "WLAN0", "--samples", "2", "--json"}), 0);
    EXPECT_EQ(rig.monitor->SelectedIndex(), 5);
    EXPECT_EQ(rig.Lines(), 2);
    EXPECT_EQ(rig.out.str().substr(0, rig.out.str().find('\n')),
              "{\"received\":0,\"sent\":0,\"total_received\":0,\"total_sent\":0,"
              "\"time\":\"1970-01-01T00:00:00Z\"}");
}

TEST(ConsoleViewRun, WithoutADisplayItSaysWhyItRuns) {
    ConsoleRig rig;
    EXPECT_EQ(rig.Run({"--samples", "1"}, false), 0);
    EXPECT_EQ(rig.Lines(), 1);
    EXPECT_NE(rig.err.str().find("no display"), std::string::npos) << rig.err.str();
}

TEST(ConsoleViewRun, UnknownAdapterIsAnErrorListingTheKnownOnes) {
    ConsoleRig rig;
    EXPECT_EQ(rig.Run({"--console", "--adapter", "eth7"}), 2);
    EXPECT_EQ(rig.out.str(), "");
    EXPECT_EQ(rig.err.str(),
              "korvalin: unknown adapter 'eth7'\nknown adapters:\n  eth0\n  wlan0\n");
    EXPECT_FALSE(rig.monitor->Active());
}

TEST(ConsoleViewRun, MissingTableIsAnError) {
    ConsoleRig rig;
    rig.table.opens = false;
    EXPECT_EQ(rig.Run({"--console", "--samples", "1"}), 1);
    EXPECT_EQ(rig.out.str(), "");
    EXPECT_NE(rig.err.str().find("interface table"), std::string::npos);
}

TEST(ConsoleViewList, OneLinePerAdapterWithoutThePseudoEntryOrTheLoopback) {
    ConsoleRig rig;
    EXPECT_EQ(rig.Run({"--list-adapters"}), 0);
    EXPECT_EQ(rig.out.str(), "2\teth0\n5\twlan0\n");
}

}  // namespace
}  // namespace korvalin
