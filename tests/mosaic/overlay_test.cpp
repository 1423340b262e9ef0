#include "widgets/img_view32.h"

#include <gtest/gtest.h>

#include <random>

using namespace tesselka;

TEST(Overlay, BlendIsRoundedPerChannelForEveryOpacity)
{
    std::mt19937 rng(5);
    BitmapLayer layer;
    layer.Bitmap = Bitmap32(64, 64);
    layer.Mode = DrawMode::dmBlend;
    layer.Location = QRect(0, 0, 64, 64);
    Bitmap32 below(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            layer.Bitmap.SetPixel(x, y, Color32(int(rng() % 256), int(rng() % 256), int(rng() % 256)));
            below.SetPixel(x, y, Color32(int(rng() % 256), int(rng() % 256), int(rng() % 256)));
        }
    // The extremes of every channel as well.
    layer.Bitmap.SetPixel(0, 0, Color32(255, 255, 255));
    below.SetPixel(0, 0, Color32(0, 0, 0));
    layer.Bitmap.SetPixel(1, 0, Color32(0, 0, 0));
    below.SetPixel(1, 0, Color32(255, 255, 255));
    for (int alpha = 0; alpha <= 255; ++alpha) {
        layer.MasterAlpha = alpha;
        Bitmap32 target = below;
        ComposeLayer(layer, target, QRect(0, 0, 64, 64));
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const TColor32 f = layer.Bitmap.Pixel(x, y), b = below.Pixel(x, y);
                auto mix = [alpha](int fc, int bc) { return (fc * alpha + bc * (255 - alpha) + 127) / 255; };
                const TColor32 want =
                    Color32(mix(Red32(f), Red32(b)), mix(Green32(f), Green32(b)), mix(Blue32(f), Blue32(b)));
                ASSERT_EQ(target.Pixel(x, y), want) << alpha << " at " << x << "," << y;
            }
    }
}
