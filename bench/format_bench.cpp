// links: korvalin_core
#include <benchmark/benchmark.h>

#include <cstdint>

#include "core/TextTools.h"

namespace {

// Values across every unit, as the configuration window and the caption text see them.
constexpr std::int64_t kValues[] = {0, 99, 1536, 1048575, 123456789, 5000000000};

void BM_FormatBytes(benchmark::State& state) {
    const std::int64_t value = kValues[state.range(0)];
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvalin::FormatBytes(false, 2, false, value));
    }
}
BENCHMARK(BM_FormatBytes)->DenseRange(0, 5);

void BM_FormatBytesAllInByte(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvalin::FormatBytes(true, 2, false, 5000000000));
    }
}
BENCHMARK(BM_FormatBytesAllInByte);

void BM_FormatBytesInt(benchmark::State& state) {
    const std::int64_t value = kValues[state.range(0)];
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvalin::FormatBytesInt(false, false, value));
    }
}
BENCHMARK(BM_FormatBytesInt)->DenseRange(0, 5);

}  // namespace

BENCHMARK_MAIN();
