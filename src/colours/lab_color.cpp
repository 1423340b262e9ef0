#include "colours/lab_color.h"

#include <lcms2.h>

#include <cmath>

namespace tesselka {

namespace {

// The sRGB transfer function undone: 0..255 to linear light 0..1.
double Linear(double value)
{
    const double v = value / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// D65 in the scale of Y = 1. Each of its values is the sum of a row of the matrix below
// (to 1e-7), so that every grey comes out with a = b = 0: a white that did not match the
// primaries would tint the greys and pull them toward coloured palette entries.
constexpr cmsCIEXYZ D65White = {0.95047, 1.0, 1.08883};

} // namespace

LabColor SrgbToLab(double red, double green, double blue)
{
    const double r = Linear(red), g = Linear(green), b = Linear(blue);
    // The sRGB primaries to XYZ, derived from their chromaticities to seven places.
    const cmsCIEXYZ xyz = {0.4124564 * r + 0.3575761 * g + 0.1804375 * b, 0.2126729 * r + 0.7151522 * g + 0.0721750 * b,
                           0.0193339 * r + 0.1191920 * g + 0.9503041 * b};
    cmsCIELab lab;
    cmsXYZ2Lab(&D65White, &lab, &xyz);
    return {lab.L, lab.a, lab.b};
}

double Ciede2000(const LabColor& first, const LabColor& second)
{
    const cmsCIELab x = {first.L, first.a, first.b};
    const cmsCIELab y = {second.L, second.a, second.b};
    return cmsCIE2000DeltaE(&x, &y, 1.0, 1.0, 1.0);
}

} // namespace tesselka
