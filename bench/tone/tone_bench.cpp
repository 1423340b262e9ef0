// The tone recomputation runs on every slider position while the user drags, so it has
// to keep up on a large photo: 6000 x 4000 pixels (24 megapixels).
#include "image/tone.h"

#include <benchmark/benchmark.h>

#include <cstdint>

using namespace tesselka;

namespace {

const Bitmap32& Photo()
{
    static const Bitmap32 photo = [] {
        Bitmap32 b(6000, 4000);
        uint32_t state = 12345;
        TColor32* p = b.Bits();
        for (size_t i = 0; i < size_t(6000) * 4000; ++i) {
            state = state * 1664525u + 1013904223u;
            p[i] = 0xFF000000u | (state >> 8);
        }
        return b;
    }();
    return photo;
}

void Run(benchmark::State& state, const ToneSettings& settings)
{
    const Bitmap32& source = Photo();
    // The window keeps its working picture between runs; so does the benchmark.
    Bitmap32 result(source.Width(), source.Height());
    for (auto _ : state) {
        AdjustTone(source, result, settings);
        benchmark::DoNotOptimize(result.Bits());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * source.Width() * source.Height());
}

void BM_ToneNeutral(benchmark::State& state)
{
    Run(state, ToneSettings{});
}

// Every setting away from neutral except grayscale, which replaces the saturation step.
constexpr ToneSettings Busy{.brightness = 12,
                            .contrast = 40,
                            .saturation = 60,
                            .darkness = 8,
                            .lightness = -10,
                            .splitlight = 2,
                            .invert = true};

void BM_ToneAllEight(benchmark::State& state)
{
    ToneSettings all = Busy;
    all.grayscale = true;
    Run(state, all);
}

// The dearest path without grayscale.
void BM_ToneSaturation(benchmark::State& state)
{
    Run(state, Busy);
}

} // namespace

BENCHMARK(BM_ToneNeutral)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_ToneAllEight)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_ToneSaturation)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

BENCHMARK_MAIN();
