// Writing a picture should cost no more than making it. Measured on the pictures a large
// photo gives: the photo itself as the tone step leaves it (many colours, smooth) and its
// Floyd-Steinberg dithering to the 7 colours ticked at start (few colours, noisy), both
// 6000 x 4000. The baseline, timed in the same run, is libpng at its defaults (every
// filter tried on every row, zlib level 6, one thread): the writer this one replaced,
// and what most programs write.
//
// The photo is a wallpaper from Debian's lomiri-wallpapers-16.04, enlarged to 6000 x
// 4000 when the benchmark starts, or TESSELKA_BENCH_PHOTO. TESSELKA_BENCH_ADJUSTED and
// TESSELKA_BENCH_DITHERED name PNG files to use instead of the two pictures, so that
// bench/peers.sh can give every program the very same pixels. Times are wall clock:
// the writer uses every core.
#include "colours/palette.h"
#include "formats/picture_io.h"
#include "reduce/reduce_colors.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <png.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace tesselka;

namespace {

Bitmap32 LoadOrExit(const std::string& path)
{
    try {
        return LoadPicture(path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_png: cannot read %s: %s\n(install lomiri-wallpapers-16.04)\n", path.c_str(),
                     e.what());
        std::exit(1);
    }
}

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

const Bitmap32& Adjusted()
{
    static const Bitmap32 photo = [] {
        if (!Env("TESSELKA_BENCH_ADJUSTED").empty())
            return LoadOrExit(Env("TESSELKA_BENCH_ADJUSTED"));
        const std::string path = Env("TESSELKA_BENCH_PHOTO").empty()
                                     ? "/usr/share/backgrounds/sunset_by_Aitzol_Berasategi.jpg"
                                     : Env("TESSELKA_BENCH_PHOTO");
        Bitmap32 loaded = LoadOrExit(path);
        if (loaded.Width() == 6000 && loaded.Height() == 4000)
            return loaded;
        return Bitmap32::FromImage(
            loaded.AsImage().scaled(6000, 4000, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }();
    return photo;
}

const Bitmap32& Dithered()
{
    static const Bitmap32 dithered = [] {
        if (!Env("TESSELKA_BENCH_DITHERED").empty())
            return LoadOrExit(Env("TESSELKA_BENCH_DITHERED"));
        std::vector<TColor> colours;
        for (const PaletteEntry& e : PaletteEntries)
            if (e.checkedAtStart)
                colours.push_back(e.designedColor);
        int n = 0;
        const SelectedColorArray selected = MakeSelectedColors(colours, n);
        IndexedBitmap reduced;
        ReduceBitmapColors(Adjusted(), ReduceCustomPalette, DitherFloydSteinberg, 8, MakeReductionPalette(selected, n),
                           reduced);
        Bitmap32 result;
        reduced.ToBitmap32(result);
        return result;
    }();
    return dithered;
}

void Append(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// libpng with every choice left to it; only the pixel layout is set.
std::vector<uint8_t> EncodeWithLibpng(const Bitmap32& bitmap)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        std::fprintf(stderr, "bench_png: libpng failed\n");
        std::exit(1);
    }
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, png_uint_32(bitmap.Width()), png_uint_32(bitmap.Height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < bitmap.Height(); ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(bitmap.Row(y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

template <class Encode>
void Run(benchmark::State& state, const Bitmap32& picture, Encode encode)
{
    size_t bytes = 0;
    const double cpuBefore = ProcessCpuSeconds();
    for (auto _ : state) {
        std::vector<uint8_t> file = encode(picture);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["MB"] = double(bytes) / 1e6;
    // Every thread's time: on a busy machine the wall clock says more about the
    // neighbours, this says what the work costs.
    state.counters["cpu_s"] = (ProcessCpuSeconds() - cpuBefore) / double(state.iterations());
    state.counters["Mpx_per_s"] = benchmark::Counter(double(picture.Width()) * picture.Height() / 1e6,
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Tesselka_Adjusted(benchmark::State& state)
{
    Run(state, Adjusted(), [](const Bitmap32& b) { return EncodePng(b); });
}
void BM_Tesselka_Dithered(benchmark::State& state)
{
    Run(state, Dithered(), [](const Bitmap32& b) { return EncodePng(b); });
}
void BM_Libpng_Adjusted(benchmark::State& state)
{
    Run(state, Adjusted(), EncodeWithLibpng);
}
void BM_Libpng_Dithered(benchmark::State& state)
{
    Run(state, Dithered(), EncodeWithLibpng);
}

} // namespace

// One iteration per repetition: a baseline run takes seconds.
#define PNG_BENCH(name)                                                                                                \
    BENCHMARK(name)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly()

PNG_BENCH(BM_Tesselka_Adjusted);
PNG_BENCH(BM_Libpng_Adjusted);
PNG_BENCH(BM_Tesselka_Dithered);
PNG_BENCH(BM_Libpng_Dithered);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // The pictures are made before the clock starts.
    Adjusted();
    Dithered();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
