// An independent, deliberately plain version of the lookup, of Floyd-Steinberg and of
// the five kernel kinds (one full-picture error plane per channel instead of rotating
// rows), compared pixel for pixel with the engine on a real photograph. The lookup's
// cache order is exercised through the ditherers, which visit in serpentine order.
#include "reduce/reduce_colors.h"

#include "reduce_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace tesselka {
namespace {

struct PlainLookup
{
    std::vector<std::array<int, 3>> colours;
    std::vector<int> cells = std::vector<int>(32768, -1);

    explicit PlainLookup(const ReductionPalette& palette)
    {
        for (const auto& e : palette.entries)
            colours.push_back({e.red, e.green, e.blue});
        for (size_t i = 0; i < colours.size(); ++i) {
            int cell = Cell(colours[i][0], colours[i][1], colours[i][2]);
            if (cells[size_t(cell)] < 0)
                cells[size_t(cell)] = int(i);
        }
    }
    static int Cell(int r, int g, int b) { return r / 8 + 32 * (g / 8) + 1024 * (b / 8); }
    int Find(int r, int g, int b)
    {
        int cell = Cell(r, g, b);
        if (cells[size_t(cell)] >= 0)
            return cells[size_t(cell)];
        int best = 0, bestDistance = 1 << 30;
        for (size_t i = 0; i < colours.size(); ++i) {
            int d = std::abs(colours[i][0] - r) + std::abs(colours[i][1] - g) + std::abs(colours[i][2] - b);
            if (d < bestDistance) {
                bestDistance = d;
                best = int(i);
            }
        }
        cells[size_t(cell)] = best;
        return best;
    }
};

int Clamp(int v)
{
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

int Channel(TColor32 p, int ch)
{
    return ch == 0 ? Red32(p) : (ch == 1 ? Green32(p) : Blue32(p));
}

// Floyd-Steinberg with its single row buffer and running values, written out per row.
std::vector<int> PlainFloydSteinberg(const Bitmap32& pic, const ReductionPalette& palette)
{
    const int w = pic.Width(), h = pic.Height();
    PlainLookup lookup(palette);
    std::vector<int> out(size_t(w * h));
    std::vector<std::vector<int>> buffer(3, std::vector<int>(size_t(w + 2), 0));
    for (int y = 0; y < h; ++y) {
        const bool leftToRight = y % 2 == 0;
        int carry[3] = {}, last[3] = {}, pending[3] = {};
        int cell = leftToRight ? 0 : w + 1;
        for (int i = 0; i < w; ++i) {
            const int x = leftToRight ? i : w - 1 - i;
            int value[3];
            for (int ch = 0; ch < 3; ++ch)
                value[ch] =
                    Clamp(Channel(pic.Pixel(x, y), ch) + (buffer[size_t(ch)][size_t(cell)] + carry[ch] + 8) / 16);
            int index = lookup.Find(value[0], value[1], value[2]);
            out[size_t(y * w + x)] = index;
            for (int ch = 0; ch < 3; ++ch) {
                int e = value[ch] - lookup.colours[size_t(index)][size_t(ch)];
                if (e == 0) {
                    carry[ch] = 0;
                    continue;
                }
                buffer[size_t(ch)][size_t(cell)] = pending[ch] + 3 * e;
                pending[ch] = last[ch] + 5 * e;
                last[ch] = e;
                carry[ch] = 7 * e;
            }
            cell += leftToRight ? 1 : -1;
        }
        for (int ch = 0; ch < 3; ++ch)
            buffer[size_t(ch)][size_t(cell)] = pending[ch];
    }
    return out;
}

// Weights by row (0 = the pixel's own row, then the rows below) and by column offset
// -3..+3 in the scan direction, drawn as the textbook matrices.
using Grid = std::array<std::array<int, 7>, 4>;

// A kernel kind over whole error planes: the pixel at (x, y) reads plane (x, y) and
// adds its shares to the planes of the pixels its grid covers; shares off the picture
// are dropped.
std::vector<int> PlainKernel(const Bitmap32& pic, const ReductionPalette& palette, const Grid& grid, int divisor)
{
    const int w = pic.Width(), h = pic.Height();
    PlainLookup lookup(palette);
    std::vector<int> out(size_t(w * h));
    std::vector<std::vector<long>> plane(3, std::vector<long>(size_t(w * h), 0));
    for (int y = 0; y < h; ++y) {
        const int dir = y % 2 == 0 ? 1 : -1;
        for (int i = 0; i < w; ++i) {
            const int x = dir == 1 ? i : w - 1 - i;
            int value[3];
            for (int ch = 0; ch < 3; ++ch) {
                long term = plane[size_t(ch)][size_t(y * w + x)];
                value[ch] = Clamp(Channel(pic.Pixel(x, y), ch) + int((term + divisor / 2) / divisor));
            }
            int index = lookup.Find(value[0], value[1], value[2]);
            out[size_t(y * w + x)] = index;
            for (int ch = 0; ch < 3; ++ch) {
                int e = value[ch] - lookup.colours[size_t(index)][size_t(ch)];
                for (int dy = 0; dy < 4; ++dy)
                    for (int dx = -3; dx <= 3; ++dx) {
                        int tx = x + dx * dir, ty = y + dy;
                        if (tx >= 0 && tx < w && ty < h)
                            plane[size_t(ch)][size_t(ty * w + tx)] += long(grid[size_t(dy)][size_t(dx + 3)]) * e;
                    }
            }
        }
    }
    return out;
}

std::vector<int> Engine(const Bitmap32& pic, const ReductionPalette& palette, DitherKind kind)
{
    IndexedBitmap result;
    EXPECT_TRUE(ReduceBitmapColors(pic, ReduceCustomPalette, kind, 8, palette, result));
    std::vector<int> out;
    for (int y = 0; y < result.Height(); ++y)
        for (int x = 0; x < result.Width(); ++x)
            out.push_back(result.Index(x, y));
    return out;
}

size_t Mismatches(const std::vector<int>& a, const std::vector<int>& b)
{
    if (a.size() != b.size())
        return std::max(a.size(), b.size());
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        n += a[i] != b[i];
    return n;
}

class ReferenceCheck : public ::testing::Test
{
protected:
    Bitmap32 photo = test::LoadPhoto();
    std::vector<ReductionPalette> palettes = {
        test::AllPanelColours(),
        test::PaletteOf({{0, 0, 0}, {255, 255, 255}, {200, 50, 0}, {0, 60, 160}, {90, 90, 90}}),
    };
};

TEST_F(ReferenceCheck, FloydSteinberg)
{
    ASSERT_FALSE(photo.Empty());
    for (const ReductionPalette& palette : palettes)
        EXPECT_EQ(Mismatches(Engine(photo, palette, DitherFloydSteinberg), PlainFloydSteinberg(photo, palette)), 0u);
}

TEST_F(ReferenceCheck, KernelKinds)
{
    ASSERT_FALSE(photo.Empty());
    struct Kind
    {
        DitherKind kind;
        int divisor;
        Grid grid;
    };
    const Kind kinds[] = {
        {DitherStucki, 42, {{{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {0, 1, 2, 4, 2, 1, 0}, {}}}},
        {DitherSierra, 32, {{{0, 0, 0, 0, 5, 3, 0}, {0, 2, 4, 5, 4, 2, 0}, {0, 0, 2, 3, 2, 0, 0}, {}}}},
        {DitherJarvisJudiceNinke, 48, {{{0, 0, 0, 0, 7, 5, 0}, {0, 3, 5, 7, 5, 3, 0}, {0, 1, 3, 5, 3, 1, 0}, {}}}},
        {DitherStevensonArce,
         200,
         {{{0, 0, 0, 0, 0, 32, 0}, {12, 0, 26, 0, 30, 0, 16}, {0, 12, 0, 26, 0, 12, 0}, {5, 0, 12, 0, 12, 0, 5}}}},
        {DitherBurkes, 32, {{{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {}, {}}}},
    };
    for (const Kind& k : kinds)
        for (const ReductionPalette& palette : palettes)
            EXPECT_EQ(Mismatches(Engine(photo, palette, k.kind), PlainKernel(photo, palette, k.grid, k.divisor)), 0u)
                << "kind " << k.kind;
}

} // namespace
} // namespace tesselka
