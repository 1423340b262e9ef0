// One 48 x 48 panel sheet and the totals of a 192 x 144 mosaic of scattered colours,
// the work Save Map and Print Map repeat for every panel. Scattered colours are the
// worst case: almost every square starts a colour and carries a number.
#include "map/panel_sheet.h"
#include "map/totals_sheet.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <random>

using namespace tesselka;

namespace {

struct Fixture
{
    Bitmap32 studs{192, 144};
    ColorTable table;
    SelectedColorArray palette{};

    Fixture()
    {
        std::mt19937 rng{5};
        palette.fill(-1);
        for (int i = 0; i < 12; ++i) {
            const TColor color = RgbToColor(20 * i, 255 - 20 * i, (37 * i) & 0xFF);
            table[i * 7].Color = color;
            table[i * 7].OnPanel = true;
            table[i * 7].Name = "Colour_" + std::to_string(i);
            palette[size_t(i)] = color;
        }
        for (int y = 0; y < studs.Height(); ++y)
            for (int x = 0; x < studs.Width(); ++x)
                studs.SetColorAt(x, y, TColor(palette[rng() % 12]));
    }
};

void BM_PanelSheet(benchmark::State& state)
{
    Fixture f;
    MapOptions options;
    options.blackGrid = true;
    options.grayGrid = true;
    options.grid8 = true;
    options.fillColor = true;
    const MapGeometry g = ComputeMapGeometry("48x48", "1x Bricks - studs out", 192, 144);
    const PanelSheetInput input{f.studs, f.table, 5, 5, "1x Bricks - studs out", g, options};
    Bitmap32 sheet;
    for (auto _ : state) {
        DrawPanelSheet(input, 1, 1, sheet);
        benchmark::DoNotOptimize(sheet.Bits());
    }
}
BENCHMARK(BM_PanelSheet)->Unit(benchmark::kMillisecond);

void BM_WholeMosaicTotals(benchmark::State& state)
{
    Fixture f;
    const MapGeometry g = ComputeMapGeometry("48x48", "1x Bricks - studs out", 192, 144);
    Bitmap32 sheet;
    QStringList lines;
    for (auto _ : state) {
        CountPanelColors(f.studs, g, -1, -1, f.table);
        lines.clear();
        DrawTotalsSheet(f.table, f.palette, 12, -1, -1, sheet, lines);
        benchmark::DoNotOptimize(sheet.Bits());
    }
}
BENCHMARK(BM_WholeMosaicTotals)->Unit(benchmark::kMillisecond);

} // namespace

// Text needs a GUI application for its fonts; the offscreen platform needs no display.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
