// links: korvalin_sources korvalin_platform_linux
//
// One reading of the adapter monitor on the real interface table, for one adapter and
// for all adapters (list rebuild included), inside network namespaces holding 1, 200
// and 1000 ifb interfaces; beside it the same data parsed from /proc/net/dev in the same
// namespace. Needs root (namespaces); elsewhere it says so and measures nothing.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "platform/linux/NetlinkInterfaceTable.h"
#include "sources/AdapterMonitor.h"

namespace {

using namespace korvalin;

int Shell(const std::string& command) {
    return std::system(command.c_str());
}

// A namespace with count ifb interfaces named ifb0 .. ifb<count-1>, removed at exit.
class BenchNamespace {
public:
    explicit BenchNamespace(int count)
        : name_("korvalin-bench-" + std::to_string(::getpid()) + "-" + std::to_string(count)) {
        ok_ = Shell("ip netns add " + name_) == 0;
        const std::string batch = "/tmp/" + name_ + ".batch";
        {
            std::ofstream out(batch);
            for (int i = 0; i < count; ++i) {
                out << "link add ifb" << i << " type ifb\n";
            }
        }
        ok_ = ok_ && Shell("ip -n " + name_ + " -batch " + batch + " >/dev/null") == 0;
        std::remove(batch.c_str());
    }
    ~BenchNamespace() { Shell("ip netns del " + name_ + " 2>/dev/null"); }
    bool Ok() const { return ok_; }
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    bool ok_ = false;
};

BenchNamespace& NamespaceWith(int count) {
    static std::map<int, std::unique_ptr<BenchNamespace>> spaces;
    auto& space = spaces[count];
    if (space == nullptr) {
        space = std::make_unique<BenchNamespace>(count);
    }
    return *space;
}

// Moves this thread into a namespace for the lifetime of the object.
class Inside {
public:
    explicit Inside(const BenchNamespace& space) {
        home_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int target = ::open(("/run/netns/" + space.Name()).c_str(), O_RDONLY | O_CLOEXEC);
        ok_ = home_ >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
        if (target >= 0) {
            ::close(target);
        }
    }
    ~Inside() {
        if (ok_) {
            ::setns(home_, CLONE_NEWNET);
        }
        if (home_ >= 0) {
            ::close(home_);
        }
    }
    bool Ok() const { return ok_; }

private:
    int home_ = -1;
    bool ok_ = false;
};

// A user-interface thread nobody runs: the benchmark calls the readings itself.
class IdleUiThread final : public UiThread {
public:
    void Post(std::function<void()>) override {}
    bool TerminationRequested() const override { return false; }
};

// A sleeper that never lets the timer's worker tick during a benchmark.
class ParkedSleeper final : public TimerSleeper {
public:
    std::uint32_t Sleep(std::uint32_t milliseconds,
                        const SleepInterruption& interruption) override {
        while (!interruption.WaitFor(std::chrono::hours(1))) {
        }
        return milliseconds > 0 ? milliseconds - 1 : 0;
    }
};

void MonitorReading(benchmark::State& state, bool allAdapters) {
    const int count = static_cast<int>(state.range(0));
    BenchNamespace& space = NamespaceWith(count);
    Inside inside(space);
    if (::geteuid() != 0 || !space.Ok() || !inside.Ok()) {
        state.SkipWithError("needs root to create network namespaces");
        return;
    }
    NetlinkInterfaceTable table;
    IdleUiThread ui;
    AdapterMonitor monitor(table, ui, std::make_shared<ParkedSleeper>());
    monitor.Init();
    monitor.SetAdapterName(allAdapters ? AllAdaptersText : "ifb0");
    monitor.SetActive(true);
    if (static_cast<int>(monitor.Adapters().size()) != count) {
        state.SkipWithError("the namespace does not hold the expected interfaces");
        return;
    }
    for (auto _ : state) {
        monitor.TimerTick();
        benchmark::DoNotOptimize(monitor.TotalReceived());
    }
    state.counters["interfaces"] = count;
    state.counters["link_dumps"] = table.LinkDumps();
}

struct ProcCounters {
    std::uint64_t received = 0;
    std::uint64_t sent = 0;
};

// Reads /proc/net/dev whole and sums the byte counters of the wanted interface (or of
// every interface but the loopback): what a /proc based monitor does each second.
ProcCounters ParseProcNetDev(const char* wanted) {
    ProcCounters sums;
    FILE* file = std::fopen("/proc/thread-self/net/dev", "re");
    if (file == nullptr) {
        return sums;
    }
    char line[512];
    int lineNumber = 0;
    while (std::fgets(line, sizeof line, file) != nullptr) {
        if (++lineNumber <= 2) {
            continue;  // the two header lines
        }
        char* colon = std::strchr(line, ':');
        if (colon == nullptr) {
            continue;
        }
        *colon = '\0';
        const char* name = line;
        while (*name == ' ') {
            ++name;
        }
        char* cursor = colon + 1;
        std::uint64_t fields[16] = {};
        for (auto& field : fields) {
            field = std::strtoull(cursor, &cursor, 10);
        }
        const bool take =
            wanted != nullptr ? std::strcmp(name, wanted) == 0 : std::strcmp(name, "lo") != 0;
        if (take) {
            sums.received += fields[0];
            sums.sent += fields[8];
        }
    }
    std::fclose(file);
    return sums;
}

void ProcNetDevReading(benchmark::State& state, bool allAdapters) {
    const int count = static_cast<int>(state.range(0));
    BenchNamespace& space = NamespaceWith(count);
    Inside inside(space);
    if (::geteuid() != 0 || !space.Ok() || !inside.Ok()) {
        state.SkipWithError("needs root to create network namespaces");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseProcNetDev(allAdapters ? nullptr : "ifb0"));
    }
    state.counters["interfaces"] = count;
}

void BM_MonitorOneAdapter(benchmark::State& state) {
    MonitorReading(state, false);
}
void BM_ProcNetDevOneAdapter(benchmark::State& state) {
    ProcNetDevReading(state, false);
}
void BM_MonitorAllAdapters(benchmark::State& state) {
    MonitorReading(state, true);
}
void BM_ProcNetDevAllAdapters(benchmark::State& state) {
    ProcNetDevReading(state, true);
}

BENCHMARK(BM_MonitorOneAdapter)->Arg(1)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProcNetDevOneAdapter)->Arg(1)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MonitorAllAdapters)->Arg(1)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProcNetDevAllAdapters)->Arg(1)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
