// The palette: panels, the strip, All / None / Default and the palette for a dither.
#include "app/form1.h"

#include "widgets/color_panel.h"
#include "workflow/workflow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPixmap>

namespace tesselka {

namespace {

// The palette boxes ticked by Default, in the order they are ticked.
constexpr int DefaultBoxes[] = {1, 12, 17, 23, 30, 32, 34};

} // namespace

void TForm1::Panel2Click(ColorPanel* panel)
{
    PenColor = panel->Color();
    Panel42->SetColor(PenColor);
}

void TForm1::Image2MouseDown(int x, int y)
{
    const Bitmap32& strip = paletteStrip_;
    TColor color;
    if (strip.Contains(x, y))
        color = WinColor(strip.Pixel(x, y));
    else {
        QColor face = QApplication::palette().color(QPalette::Button);
        color = RgbToColor(face.red(), face.green(), face.blue());
    }
    PenColor = color;
    Panel42->SetColor(PenColor);
}

void TForm1::BitBtn5Click()
{
    for (QCheckBox* box : PaletteBoxes)
        box->setChecked(true);
}

void TForm1::BitBtn9Click()
{
    for (QCheckBox* box : PaletteBoxes)
        box->setChecked(false);
}

void TForm1::BitBtn12Click()
{
    BitBtn9Click();
    for (int number : DefaultBoxes)
        for (size_t i = 0; i < PaletteEntries.size(); ++i)
            if (PaletteEntries[i].checkBox == number)
                PaletteBoxes[i]->setChecked(true);
}

ReductionPalette TForm1::BuildPalette(int& count)
{
    std::array<TColor, PaletteSize> colors{};
    std::vector<int> codes;
    for (size_t i = 0; i < PaletteBoxes.size(); ++i) {
        colors[i] = PalettePanels[i]->Color();
        if (PaletteBoxes[i]->isChecked())
            codes.push_back(PalettePanels[i]->Tag);
    }
    DitherPalette chosen = BuildDitherPalette(colors, codes);
    SelectedColors = chosen.selected;
    count = chosen.count;
    return std::move(chosen.palette);
}

void TForm1::DrawPaletteStrip(int count)
{
    Bitmap32 strip(24, 400);
    QColor face = QApplication::palette().color(QPalette::Button);
    strip.Clear(Color32(face.red(), face.green(), face.blue()));
    for (int i = 0; i < count; ++i) {
        int x = 12 * (i % 2), y = 12 * (i / 2);
        strip.FillRect(x, y, x + 12, y + 12, Color32(TColor(SelectedColors[size_t(i)])));
    }
    paletteStrip_ = std::move(strip);
    Image2->setPixmap(QPixmap::fromImage(paletteStrip_.ToImage().copy(0, 0, 24, 336)));
}

} // namespace tesselka
