// links: korvalin_display
// The byte meter's paint: one paint of a wide graph with a full history, and an hour of
// one value per second, each added and painted as the large status window does.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFont>
#include <cstdlib>

#include "display/ByteMeter.h"

namespace {

using korvalin::ByteMeter;

void SetUpMeter(ByteMeter& meter, int width, int height, int valueRange) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    meter.setFont(font);
    meter.resize(width, height);
    meter.SetBorderWidth(5);
    meter.SetCaption(QStringLiteral("Empfang %s/Sek.; aktuell %s"));
    meter.SetColor(QColor(128, 128, 128));
    meter.SetValueRange(valueRange);
}

// Varying traffic, so the polygon has a different height at every point.
std::int64_t Sample(int second) {
    return (second * 7919) % 200000;
}

void BM_PaintFullHistory(benchmark::State& state) {
    ByteMeter meter;
    SetUpMeter(meter, 1920, 400, static_cast<int>(state.range(0)));
    for (int second = 0; second < 4000; ++second) {
        meter.AddValue(Sample(second));
    }
    meter.Render();  // trims the history to what fits
    for (auto _ : state) {
        benchmark::DoNotOptimize(meter.Render().constBits());
    }
    state.counters["values"] = static_cast<double>(meter.History().size());
}
BENCHMARK(BM_PaintFullHistory)->Arg(5)->Arg(1)->Unit(benchmark::kMicrosecond);

// Arguments: width, height, pixels per value. One iteration is an hour of samples.
void BM_AddValueAndPaintAnHour(benchmark::State& state) {
    ByteMeter meter;
    SetUpMeter(meter, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
               static_cast<int>(state.range(2)));
    for (auto _ : state) {
        for (int second = 0; second < 3600; ++second) {
            meter.AddValue(Sample(second));
            benchmark::DoNotOptimize(meter.Render().constBits());
        }
    }
    state.SetItemsProcessed(state.iterations() * 3600);
}
BENCHMARK(BM_AddValueAndPaintAnHour)
    ->Args({1920, 400, 5})
    ->Args({1920, 400, 1})
    ->Args({267, 108, 5})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
