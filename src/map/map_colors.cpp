#include "map/map_colors.h"

#include <cmath>

namespace tesselka {

namespace {

double LinearChannel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double RelativeLuminance(TColor color)
{
    return 0.2126 * LinearChannel(RedOf(color)) + 0.7152 * LinearChannel(GreenOf(color)) +
           0.0722 * LinearChannel(BlueOf(color));
}

bool IsLightColor(int64_t color)
{
    return color >= 0 && RelativeLuminance(TColor(color)) > LightColorLuminance;
}

void SlotNumberWriter::Write(Bitmap32& target, int x, int y, int points, int slot)
{
    const QString text = QString::number(slot);
    const uint64_t key = (uint64_t(uint16_t(x)) << 48) | (uint64_t(uint16_t(points)) << 32) | uint32_t(slot);
    int size = points;
    auto it = std::find_if(fitted_.begin(), fitted_.end(), [key](const auto& e) { return e.first == key; });
    if (it != fitted_.end()) {
        size = it->second;
    } else {
        target.font.sizePt = size;
        while (size > 1 && x + target.TextInkRight(text) > right_)
            target.font.sizePt = --size;
        fitted_.emplace_back(key, size);
    }
    target.font.sizePt = size;
    target.TextOut(x, y, text);
}

} // namespace tesselka
