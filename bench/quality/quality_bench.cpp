// How close a mosaic comes to its photo, for each dither kind and colour matching: not a
// timing but a measure, printed as Markdown tables (docs/quality.md holds a run).
//
// For each photo the reference is the photo area-averaged onto the stud grid of a
// 96-stud-wide "1x Plates - studs up" mosaic. Both the reference and the mosaic get a
// 3 x 3 box blur, so that a dither pattern counts as the mix of colours the eye sees from
// a few steps away, and the table gives the mean and the 95th percentile of CIEDE2000
// over the studs. Averages and blurs are taken on the sRGB values, as the error diffusion
// works on them.
//
// Two mosaics are measured: the program's own path (the photo reduced at its full size,
// the grid sampled from the result) and the photo reduced after being averaged down to
// the grid, where every stud is a pixel of the dither.
//
// Usage: bench_quality [--pictures DIR] [--ldconfig FILE]: DIR receives the side-by-side
// pictures (reference, RGB, perceptual) of three photos. The palette's colours are the
// LDraw.org values of data/ldconfig.ldr (or FILE); the photos are listed with their
// credits in bench/data/README.md.
#include "colours/color_table.h"
#include "colours/lab_color.h"
#include "colours/palette.h"
#include "common/styles.h"
#include "formats/picture_io.h"
#include "image/grid_scale.h"
#include "reduce/reduce_colors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace tesselka;

namespace {

struct Photo
{
    const char* name;
    const char* kind;
    std::string path;
    bool pictured; // gets a side-by-side picture
};

// Red, green, blue per stud, row by row.
struct Grid
{
    int width = 0, height = 0;
    std::vector<std::array<double, 3>> rgb;
};

// The exact area average: each grid cell is the mean of the photo over its rectangle,
// partial pixels weighted by their covered part. Columns first, then rows.
Grid AreaAverage(const Bitmap32& photo, int width, int height)
{
    using Weights = std::vector<std::vector<std::pair<int, double>>>;
    auto weights = [](int from, int to) {
        // For each target index, (source index, weight) pairs that sum to 1.
        Weights w(static_cast<size_t>(to));
        const double step = double(from) / to;
        for (int t = 0; t < to; ++t) {
            const double a = t * step, b = (t + 1) * step;
            for (int s = int(a); s < from && s < b; ++s) {
                const double part = std::min(b, s + 1.0) - std::max(a, double(s));
                if (part > 0)
                    w[size_t(t)].push_back({s, part / step});
            }
        }
        return w;
    };
    const auto columns = weights(photo.Width(), width);
    const auto rows = weights(photo.Height(), height);
    std::vector<std::array<double, 3>> narrow(size_t(width) * size_t(photo.Height()));
    for (int y = 0; y < photo.Height(); ++y) {
        const TColor32* row = photo.Row(y);
        for (int x = 0; x < width; ++x) {
            std::array<double, 3> sum{};
            for (const auto& [s, w] : columns[size_t(x)]) {
                sum[0] += w * Red32(row[s]);
                sum[1] += w * Green32(row[s]);
                sum[2] += w * Blue32(row[s]);
            }
            narrow[size_t(y) * size_t(width) + size_t(x)] = sum;
        }
    }
    Grid grid{width, height, std::vector<std::array<double, 3>>(size_t(width) * size_t(height))};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::array<double, 3> sum{};
            for (const auto& [s, w] : rows[size_t(y)])
                for (int c = 0; c < 3; ++c)
                    sum[size_t(c)] += w * narrow[size_t(s) * size_t(width) + size_t(x)][size_t(c)];
            grid.rgb[size_t(y) * size_t(width) + size_t(x)] = sum;
        }
    return grid;
}

Bitmap32 ToBitmap(const Grid& grid)
{
    Bitmap32 b(grid.width, grid.height);
    for (size_t i = 0; i < grid.rgb.size(); ++i) {
        const auto& p = grid.rgb[i];
        b.Bits()[i] = Color32(int(std::lround(p[0])), int(std::lround(p[1])), int(std::lround(p[2])));
    }
    return b;
}

Grid FromBitmap(const Bitmap32& b)
{
    Grid grid{b.Width(), b.Height(), {}};
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const TColor32 p = b.Pixel(x, y);
            grid.rgb.push_back({double(Red32(p)), double(Green32(p)), double(Blue32(p))});
        }
    return grid;
}

// 3 x 3 box blur; at the edges the mean of the neighbours that exist.
Grid Blur(const Grid& in)
{
    Grid out = in;
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            std::array<double, 3> sum{};
            int n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int u = x + dx, v = y + dy;
                    if (u < 0 || v < 0 || u >= in.width || v >= in.height)
                        continue;
                    for (int c = 0; c < 3; ++c)
                        sum[size_t(c)] += in.rgb[size_t(v) * size_t(in.width) + size_t(u)][size_t(c)];
                    ++n;
                }
            for (int c = 0; c < 3; ++c)
                out.rgb[size_t(y) * size_t(in.width) + size_t(x)][size_t(c)] = sum[size_t(c)] / n;
        }
    return out;
}

struct Score
{
    double mean = 0, p95 = 0;
};

Score Compare(const Grid& blurredReference, const Grid& mosaic)
{
    const Grid blurred = Blur(mosaic);
    std::vector<double> d(blurred.rgb.size());
    double sum = 0;
    for (size_t i = 0; i < d.size(); ++i) {
        const auto& a = blurredReference.rgb[i];
        const auto& b = blurred.rgb[i];
        d[i] = Ciede2000(SrgbToLab(a[0], a[1], a[2]), SrgbToLab(b[0], b[1], b[2]));
        sum += d[i];
    }
    const size_t at = size_t(std::ceil(0.95 * double(d.size()))) - 1;
    std::nth_element(d.begin(), d.begin() + long(at), d.end());
    return {sum / double(d.size()), d[at]};
}

ReductionPalette PaletteOf(const std::vector<TColor>& colours)
{
    int n = 0;
    const SelectedColorArray selected = MakeSelectedColors(colours, n);
    return MakeReductionPalette(selected, n);
}

// Reference | RGB | perceptual, each cell drawn as the style's 5 x 2 preview pixels,
// 8 pixels of white between them.
void SavePicture(const std::string& path, const std::array<const Grid*, 3>& grids, int cellHeight)
{
    const int w = grids[0]->width * StyleCellWidth, h = grids[0]->height * cellHeight, gap = 8;
    Bitmap32 out(3 * w + 2 * gap, h);
    std::fill_n(out.Bits(), size_t(out.Width()) * size_t(out.Height()), Color32(255, 255, 255));
    for (int i = 0; i < 3; ++i) {
        const Bitmap32 cells = ToBitmap(*grids[size_t(i)]);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out.SetPixel(i * (w + gap) + x, y, cells.Pixel(x / StyleCellWidth, y / cellHeight));
    }
    SavePng(out, path);
}

const char* KindName(DitherKind kind)
{
    switch (kind) {
    case DitherFloydSteinberg:
        return "Floyd-Steinberg";
    case DitherStucki:
        return "Stucki";
    case DitherSierra:
        return "Sierra";
    case DitherJarvisJudiceNinke:
        return "Jarvis-Judice-Ninke";
    case DitherStevensonArce:
        return "Stevenson-Arce";
    case DitherBurkes:
        return "Burkes";
    case DitherNearest:
        return "Nearest colour";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv)
{
    std::string pictures, ldconfig = TESSELKA_LDCONFIG;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--pictures") == 0)
            pictures = argv[++i];
        else if (std::strcmp(argv[i], "--ldconfig") == 0)
            ldconfig = argv[++i];

    ColorTable table;
    const auto read = LoadColorTableFile(ldconfig, table);
    if (!read || read->error) {
        std::fprintf(stderr, "bench_quality: cannot read %s\n", ldconfig.c_str());
        return 1;
    }
    std::vector<TColor> startColours, allColours;
    for (const PaletteEntry& e : PaletteEntries) {
        const TColor c = PanelColor(e, table, true);
        allColours.push_back(c);
        if (e.checkedAtStart)
            startColours.push_back(c);
    }
    const struct
    {
        const char* name;
        ReductionPalette palette;
    } palettes[] = {{"default 7", PaletteOf(startColours)}, {"all 41", PaletteOf(allColours)}};

    const std::string backgrounds = "/usr/share/backgrounds/";
    const Photo photos[] = {
        {"astronaut", "portrait", TESSELKA_BENCH_DIR "/ldraw/data/astronaut400.jpg", true},
        {"friends", "portrait (two dogs)", backgrounds + "friends_by_Aitzol_Berasategi.jpg", false},
        {"picosdeeuropa", "landscape", backgrounds + "picosdeeuropa_by_Aitzol_Berasategi.jpg", true},
        {"bridge", "pastel", backgrounds + "Bridge_by_Sander_Klootwijk.jpg", true},
        {"sunset", "high contrast", backgrounds + "sunset_by_Aitzol_Berasategi.jpg", false},
    };
    const DitherKind kinds[] = {DitherFloydSteinberg, DitherStucki, DitherSierra, DitherJarvisJudiceNinke,
                                DitherStevensonArce,  DitherBurkes, DitherNearest};
    const std::string style(MosaicStyles[0]);
    const int cellHeight = *StyleCellHeight(style);
    constexpr int StudsWide = 96;

    for (const bool full : {true, false}) {
        std::printf("\n### %s\n\n", full ? "Reduced at full size, grid sampled (the program's path)"
                                         : "Reduced after averaging down to the grid");
        for (const Photo& photo : photos) {
            Bitmap32 picture;
            try {
                picture = LoadPicture(photo.path);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "bench_quality: %s: %s (install lomiri-wallpapers-16.04)\n", photo.path.c_str(),
                             e.what());
                return 1;
            }
            const auto plan = PlanGrid(picture.Width(), picture.Height(), StudsWide, StyleCellWidth, cellHeight, false);
            const Grid reference = AreaAverage(picture, plan->targetWidth, plan->targetHeight);
            const Grid blurredReference = Blur(reference);
            const Bitmap32 small = ToBitmap(reference);
            std::fprintf(stderr, "%s (%dx%d, grid %dx%d)\n", photo.name, picture.Width(), picture.Height(),
                         reference.width, reference.height);

            std::printf("**%s** (%s, %d x %d pixels, %d x %d studs)\n\n", photo.name, photo.kind, picture.Width(),
                        picture.Height(), reference.width, reference.height);
            std::printf("| dither | palette | RGB mean | perceptual mean | RGB p95 | perceptual p95 |\n");
            std::printf("|---|---|---:|---:|---:|---:|\n");
            for (const auto& [paletteName, palette] : palettes)
                for (const DitherKind kind : kinds) {
                    Grid mosaics[2];
                    Score scores[2];
                    for (const ColorMatching matching : {MatchRgb, MatchPerceptual}) {
                        IndexedBitmap reduced;
                        ReduceBitmapColors(full ? picture : small, ReduceCustomPalette, kind, 8, palette, reduced, {},
                                           matching);
                        Bitmap32 studs(reference.width, reference.height);
                        reduced.StretchTo(studs);
                        mosaics[matching] = FromBitmap(studs);
                        scores[matching] = Compare(blurredReference, mosaics[matching]);
                    }
                    std::printf("| %s | %s | %.2f | %.2f | %.2f | %.2f |\n", KindName(kind), paletteName,
                                scores[0].mean, scores[1].mean, scores[0].p95, scores[1].p95);
                    if (!pictures.empty() && photo.pictured && !full && kind == DitherFloydSteinberg &&
                        palette.Count() == 41)
                        SavePicture(pictures + "/" + photo.name + ".png", {&reference, &mosaics[0], &mosaics[1]},
                                    cellHeight);
                }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    return 0;
}
