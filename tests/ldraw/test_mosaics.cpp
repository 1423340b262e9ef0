#include "test_mosaics.h"

#include "support/test_paths.h"

#include <string>

#include <QImage>

#include <stdexcept>
#include <vector>

namespace tesselka::test {

namespace {

struct Crafted
{
    char c;
    TColor color;
    int code;
};

constexpr Crafted CraftedColors[] = {
    {'K', 0x000000, 0}, {'R', 0x000001, 4}, {'W', 0xFFFFFF, 15},
    {'B', 0xFF0000, 1}, {'G', 0x00FF00, 2}, {'b', 0xFE0000, 73},
};

} // namespace

TColor CraftedColor(char c)
{
    for (const Crafted& entry : CraftedColors)
        if (entry.c == c)
            return entry.color;
    throw std::invalid_argument("no crafted colour");
}

ColorTable CraftedTable()
{
    ColorTable table;
    table.Fill(3, "Cyan", 3, 0x888800);
    table.Fill(13, "Pink", 13, 0x8888FF);
    int slot = 20;
    for (const Crafted& entry : CraftedColors) {
        table.Fill(slot, std::string(1, entry.c), entry.code, entry.color);
        table[slot].OnPanel = true;
        ++slot;
    }
    return table;
}

Bitmap32 CraftedImage(std::initializer_list<const char*> rows)
{
    const int height = int(rows.size());
    const int width = int(std::string(*rows.begin()).size());
    Bitmap32 image(width, height);
    int y = 0;
    for (const char* row : rows) {
        for (int x = 0; x < width; ++x)
            image.SetColorAt(x, y, CraftedColor(row[x]));
        ++y;
    }
    return image;
}

ColorTable PaletteTable(SelectedColorArray& selected, const std::string& path)
{
    ColorTable table;
    if (!LoadColorTableFile(path.empty() ? ReferenceColorTable() : path, table))
        throw std::runtime_error("colour table missing");
    std::vector<TColor> colors;
    for (const PaletteEntry& entry : PaletteEntries) {
        const int slot = table.PanelSlotForCode(entry.code);
        table[slot].OnPanel = true;
        colors.push_back(table[slot].Color);
    }
    int n = 0;
    selected = MakeSelectedColors(colors, n);
    return table;
}

Bitmap32 DitheredPhoto(const std::string& name, const ColorTable& table)
{
    QImage photo(QString::fromStdString(std::string(LDRAW_TEST_PHOTOS) + "/" + name));
    if (photo.isNull())
        throw std::runtime_error("photo missing: " + name);
    photo = photo.convertToFormat(QImage::Format_RGB32);
    std::vector<TColor> palette;
    for (const ColorSlot& slot : table)
        if (slot.OnPanel)
            palette.push_back(slot.Color);

    // Floyd-Steinberg over float channels: enough texture to give runs of every length.
    const int w = photo.width();
    const int h = photo.height();
    std::vector<float> rgb(size_t(w) * size_t(h) * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = photo.pixel(x, y);
            float* c = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
            c[0] = float(qRed(p)), c[1] = float(qGreen(p)), c[2] = float(qBlue(p));
        }
    Bitmap32 out(w, h);
    auto spread = [&](int x, int y, const float* err, float f) {
        if (x < 0 || x >= w || y >= h)
            return;
        float* c = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
        for (int i = 0; i < 3; ++i)
            c[i] += err[i] * f;
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float* c = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
            TColor best = palette.front();
            float bestD = 1e30f;
            for (TColor p : palette) {
                const float dr = c[0] - float(RedOf(p)), dg = c[1] - float(GreenOf(p)), db = c[2] - float(BlueOf(p));
                const float d = dr * dr + dg * dg + db * db;
                if (d < bestD)
                    bestD = d, best = p;
            }
            out.SetColorAt(x, y, best);
            const float err[3] = {c[0] - float(RedOf(best)), c[1] - float(GreenOf(best)), c[2] - float(BlueOf(best))};
            spread(x + 1, y, err, 7.f / 16);
            spread(x - 1, y + 1, err, 3.f / 16);
            spread(x, y + 1, err, 5.f / 16);
            spread(x + 1, y + 1, err, 1.f / 16);
        }
    }
    return out;
}

} // namespace tesselka::test
