#pragma once

// CIELAB under the D65 white and the CIEDE2000 colour difference: the measure of how far
// apart two colours look, used by the perceptual colour matching and by the quality
// benchmark.

namespace tesselka {

struct LabColor
{
    double L = 0; // lightness, 0..100
    double a = 0; // green (-) to red (+)
    double b = 0; // blue (-) to yellow (+)
};

// An sRGB colour (channels 0..255, fractions allowed, so that the centre of a range of
// byte values can be converted) in CIELAB relative to D65.
LabColor SrgbToLab(double red, double green, double blue);

// CIEDE2000 with the weights kL = kC = kH = 1.
double Ciede2000(const LabColor& first, const LabColor& second);

} // namespace tesselka
