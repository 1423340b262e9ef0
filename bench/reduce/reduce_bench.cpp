// Times are CPU time of the one thread that runs the reduction: the machines this runs
// on are shared, and wall-clock time there measures the neighbours as much as the code.
//
// The reduction runs at the picture's full resolution after every click and slider step
// while "Auto dither" is on, so it is measured on a large real photograph: a wallpaper
// photo from Debian's lomiri-wallpapers-16.04, enlarged to 6000 x 4000 (24 megapixels)
// when the benchmark starts. TESSELKA_BENCH_PHOTO names another photo (a photo that is
// already 6000 x 4000 is used as it is, so bench/peers.sh can share its file).
// BM_Matching compares the two colour matchings; its `ratio` is the cost of perceptual
// matching.
#include "colours/palette.h"
#include "formats/picture_io.h"
#include "reduce/reduce_colors.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

using namespace tesselka;

namespace {

constexpr int PhotoWidth = 6000;
constexpr int PhotoHeight = 4000;
constexpr const char* DefaultPhoto = "/usr/share/backgrounds/sunset_by_Aitzol_Berasategi.jpg";

const Bitmap32& Photo()
{
    static const Bitmap32 photo = [] {
        const char* env = std::getenv("TESSELKA_BENCH_PHOTO");
        std::string path = env && *env ? env : DefaultPhoto;
        Bitmap32 loaded;
        try {
            loaded = LoadPicture(path);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "bench_reduce: cannot read the photo %s: %s\n(install lomiri-wallpapers-16.04)\n",
                         path.c_str(), e.what());
            std::exit(1);
        }
        if (loaded.Width() == PhotoWidth && loaded.Height() == PhotoHeight)
            return loaded;
        QImage big = loaded.AsImage().scaled(PhotoWidth, PhotoHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return Bitmap32::FromImage(big);
    }();
    return photo;
}

// The colours ticked at start (7) or all 41, in panel order, as the window builds them.
ReductionPalette Palette(bool all)
{
    std::vector<TColor> colours;
    for (const PaletteEntry& e : PaletteEntries)
        if (all || e.checkedAtStart)
            colours.push_back(e.designedColor);
    int n = 0;
    const SelectedColorArray selected = MakeSelectedColors(colours, n);
    return MakeReductionPalette(selected, n);
}

void BM_Reduce(benchmark::State& state, DitherKind kind, bool allColours)
{
    const Bitmap32& photo = Photo();
    const ReductionPalette palette = Palette(allColours);
    // The window keeps its index buffer between runs; so does the benchmark.
    IndexedBitmap result;
    for (auto _ : state) {
        ReduceBitmapColors(photo, ReduceCustomPalette, kind, 8, palette, result);
        benchmark::DoNotOptimize(result.Row(0));
        benchmark::ClobberMemory();
    }
    const double pixels = double(photo.Width()) * photo.Height();
    state.counters["ns_per_px"] =
        benchmark::Counter(pixels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["colours"] = double(palette.Count());
}

double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// Perceptual matching against RGB matching of the same kind and palette, taken in turns
// within each iteration so that both see the same machine load; `ratio` is perceptual
// time over RGB time. Each reduction starts with an empty cache, as in the window.
void BM_Matching(benchmark::State& state, DitherKind kind, bool allColours)
{
    const Bitmap32& photo = Photo();
    const ReductionPalette palette = Palette(allColours);
    IndexedBitmap result;
    double rgb = 0, perceptual = 0;
    for (auto _ : state) {
        double start = ThreadSeconds();
        ReduceBitmapColors(photo, ReduceCustomPalette, kind, 8, palette, result, {}, MatchRgb);
        benchmark::DoNotOptimize(result.Row(0));
        double middle = ThreadSeconds();
        ReduceBitmapColors(photo, ReduceCustomPalette, kind, 8, palette, result, {}, MatchPerceptual);
        benchmark::DoNotOptimize(result.Row(0));
        benchmark::ClobberMemory();
        rgb += middle - start;
        perceptual += ThreadSeconds() - middle;
    }
    const double n = double(state.iterations());
    state.counters["rgb_ms"] = 1e3 * rgb / n;
    state.counters["perceptual_ms"] = 1e3 * perceptual / n;
    state.counters["ratio"] = perceptual / rgb;
}

} // namespace

#define REDUCE_BENCH(kind)                                                                                             \
    BENCHMARK_CAPTURE(BM_Reduce, kind##_7, kind, false)                                                                \
        ->Unit(benchmark::kMillisecond)                                                                                \
                                                                                                                       \
        ->Repetitions(3)                                                                                               \
        ->ReportAggregatesOnly();                                                                                      \
    BENCHMARK_CAPTURE(BM_Reduce, kind##_41, kind, true)                                                                \
        ->Unit(benchmark::kMillisecond)                                                                                \
                                                                                                                       \
        ->Repetitions(3)                                                                                               \
        ->ReportAggregatesOnly()

REDUCE_BENCH(DitherNearest);
REDUCE_BENCH(DitherFloydSteinberg);
REDUCE_BENCH(DitherStucki);
REDUCE_BENCH(DitherSierra);
REDUCE_BENCH(DitherJarvisJudiceNinke);
REDUCE_BENCH(DitherStevensonArce);
REDUCE_BENCH(DitherBurkes);

#define MATCHING_BENCH(kind)                                                                                           \
    BENCHMARK_CAPTURE(BM_Matching, kind##_7, kind, false)->Unit(benchmark::kMillisecond)->Iterations(3);               \
    BENCHMARK_CAPTURE(BM_Matching, kind##_41, kind, true)->Unit(benchmark::kMillisecond)->Iterations(3)

MATCHING_BENCH(DitherNearest);
MATCHING_BENCH(DitherFloydSteinberg);
MATCHING_BENCH(DitherStucki);
MATCHING_BENCH(DitherSierra);
MATCHING_BENCH(DitherJarvisJudiceNinke);
MATCHING_BENCH(DitherStevensonArce);
MATCHING_BENCH(DitherBurkes);

BENCHMARK_MAIN();
