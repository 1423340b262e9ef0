#include "reduce/perceptual_search.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tesselka {

namespace {

double Pow7(double x)
{
    const double x2 = x * x;
    return x2 * x2 * x2 * x;
}

constexpr double Pow7Of25 = 6103515625.0;

// Rounding slack on the lower bound below: the library computes the difference by
// another route, so it may come out a few units in the last place under the bound.
constexpr double BoundSlack = 1e-9;

// The hue weight T of CIEDE2000 never exceeds this: its largest value over a sampling of
// the hue circle every 0.001 degree is 1.57247, and T changes by less than 0.0001
// between samples.
constexpr double HueWeightMax = 1.5726;

// CIEDE2000's lightness weight SL is largest at mean lightness 0 or 100, where it is
// 1 + 37.5 / sqrt(2520) = 1.74701; the lightness term |dL| / SL bounds the difference.
constexpr double LightnessWeightMax = 1.74702;

// A lower bound of CIEDE2000 between `x` (chroma `cx`) and `y` (chroma `cy`) without its
// trigonometry. With p = dC'/SC and q = dH'/SH the difference is the root of
// (dL'/SL)^2 + p^2 + q^2 + RT p q, and |RT| <= RC sin 60 degrees, so the last three terms
// are at least (1 - |RT|/2)(p^2 + q^2). RT is only that large for blues: when both colours
// have b > 0 (b is the same in a', b), both hues and their mean lie in (0, 180) degrees,
// more than 95 degrees from the blue peak at 275, where |RT| < 2e-6. dH'^2 is the squared
// distance in the (a', b) plane less dC'^2, and SH is at most its value at HueWeightMax.
double LowerBound(const LabColor& x, double cx, const LabColor& y, double cy)
{
    const double meanC7 = Pow7((cx + cy) / 2.0);
    const double g = 0.5 * (1.0 - std::sqrt(meanC7 / (meanC7 + Pow7Of25)));
    const double ax = (1.0 + g) * x.a, ay = (1.0 + g) * y.a;
    const double cpx = std::sqrt(ax * ax + x.b * x.b), cpy = std::sqrt(ay * ay + y.b * y.b);
    const double dC = cpy - cpx;
    const double dA = ay - ax, dB = y.b - x.b;
    const double dH2 = std::max(0.0, dA * dA + dB * dB - dC * dC);
    const double meanCp = (cpx + cpy) / 2.0;
    const double meanCp7 = Pow7(meanCp);
    const double rc = 2.0 * std::sqrt(meanCp7 / (meanCp7 + Pow7Of25));
    const double sc = 1.0 + 0.045 * meanCp;
    const double shMax = 1.0 + 0.015 * meanCp * HueWeightMax;
    const double meanL = (x.L + y.L) / 2.0;
    const double d50 = (meanL - 50.0) * (meanL - 50.0);
    const double sl = 1.0 + 0.015 * d50 / std::sqrt(20.0 + d50);
    const double dL = (y.L - x.L) / sl;
    // 0.4330128 > sin(60 degrees) / 2.
    const double kept = x.b > 0 && y.b > 0 ? 1.0 - 1e-6 : 1.0 - 0.4330128 * rc;
    return std::sqrt(dL * dL + kept * (dC * dC / (sc * sc) + dH2 / (shMax * shMax)));
}

double Chroma(const LabColor& c)
{
    return std::sqrt(c.a * c.a + c.b * c.b);
}

} // namespace

PerceptualSearch::PerceptualSearch(const ReductionPalette::Entry* entries, int count)
{
    palette_.reserve(size_t(std::max(count, 0)));
    chroma_.reserve(size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        palette_.push_back(SrgbToLab(entries[i].red, entries[i].green, entries[i].blue));
        chroma_.push_back(Chroma(palette_.back()));
    }
}

int PerceptualSearch::Nearest(const LabColor& colour) const
{
    const int count = int(palette_.size());
    if (count == 0)
        return -1;
    // The entry nearest in plain CIELAB distance is nearly always the answer or close to
    // it, so its difference starts as the one to beat; an entry is then measured only when
    // its lightness alone, and after that its lower bound, can still beat it.
    int bestIndex = 0;
    double nearestLab = HUGE_VAL;
    for (int i = 0; i < count; ++i) {
        const LabColor& p = palette_[size_t(i)];
        const double dL = p.L - colour.L, dA = p.a - colour.a, dB = p.b - colour.b;
        const double d2 = dL * dL + dA * dA + dB * dB;
        if (d2 < nearestLab) {
            nearestLab = d2;
            bestIndex = i;
        }
    }
    double best = Ciede2000(colour, palette_[size_t(bestIndex)]);
    const double chroma = Chroma(colour);
    for (int i = 0; i < count; ++i) {
        const LabColor& p = palette_[size_t(i)];
        if (i == bestIndex || std::abs(p.L - colour.L) > LightnessWeightMax * (best + BoundSlack))
            continue;
        if (LowerBound(colour, chroma, p, chroma_[size_t(i)]) > best + BoundSlack)
            continue;
        const double d = Ciede2000(colour, p);
        if (d < best || (d == best && i < bestIndex)) {
            best = d;
            bestIndex = i;
        }
    }
    return bestIndex;
}

LabColor PerceptualSearch::CellCentre(int cell)
{
    auto centre = [](int level) { return 8.0 * level + 3.5; };
    return SrgbToLab(centre(cell & 31), centre((cell >> 5) & 31), centre((cell >> 10) & 31));
}

} // namespace tesselka
