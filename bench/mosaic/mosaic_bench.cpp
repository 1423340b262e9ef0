// One pen step on a 96 x 181 mosaic in "1x Plates - studs up" with the black and grey
// grids: the edit, the view drawing and the composition with a half-transparent
// overlay, as the window does it. "Full" rebuilds the whole view for every step (the
// plain behaviour); "Cells" redraws only the cells whose borders can change.
#include "mosaic/hand_edit.h"
#include "mosaic/mosaic_renderer.h"
#include "widgets/img_view32.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

using namespace tesselka;

namespace {

struct Fixture
{
    Bitmap32 studs{96, 181};
    MosaicRenderSettings settings;
    Bitmap32 view;
    Bitmap32 composed;
    BitmapLayer overlay;
    std::mt19937 rng{3};

    explicit Fixture(int scale)
    {
        const TColor palette[4] = {0x0000FF, 0xFF0000, 0x00FFFF, 0x000000};
        for (int y = 0; y < studs.Height(); ++y)
            for (int x = 0; x < studs.Width(); ++x)
                studs.SetColorAt(x, y, palette[rng() % 4]);
        settings.cellWidth = 5;
        settings.cellHeight = 2;
        settings.scale = scale;
        settings.grids = {true, true, false};
        RenderMosaicView(studs, settings, view);
        composed = view;
        overlay.Bitmap = Bitmap32(321, 94);
        overlay.Bitmap.Clear(Color32(10, 200, 30));
        overlay.Mode = DrawMode::dmBlend;
        overlay.MasterAlpha = 128;
        overlay.Location = QRect(0, 0, view.Width(), view.Height());
    }

    void Compose(const QRect& region)
    {
        for (int y = region.top(); y <= region.bottom(); ++y)
            std::memcpy(composed.Row(y) + region.left(), view.Row(y) + region.left(),
                        size_t(region.width()) * sizeof(TColor32));
        ComposeLayer(overlay, composed, region);
    }

    EditResult Edit()
    {
        const int px = int(rng() % unsigned(view.Width())), py = int(rng() % unsigned(view.Height()));
        return PenEdit(studs, {settings.cellWidth, settings.cellHeight, settings.scale}, px, py,
                       (rng() % 2) ? 0x0000FF : 0xFF0000);
    }
};

void BM_PenStepFull(benchmark::State& state)
{
    Fixture f(int(state.range(0)));
    for (auto _ : state) {
        f.Edit();
        RenderMosaicView(f.studs, f.settings, f.view);
        f.Compose(QRect(0, 0, f.view.Width(), f.view.Height()));
        benchmark::DoNotOptimize(f.composed.Bits());
    }
}

void BM_PenStepCells(benchmark::State& state)
{
    Fixture f(int(state.range(0)));
    for (auto _ : state) {
        const EditResult edit = f.Edit();
        f.Compose(RenderMosaicChange(f.studs, f.settings, f.view, edit.changedStuds));
        benchmark::DoNotOptimize(f.composed.Bits());
    }
}

// The parts of a full step: drawing the whole view, and composing the whole overlay
// (what moving the opacity slider costs).
void BM_RenderView(benchmark::State& state)
{
    Fixture f(int(state.range(0)));
    for (auto _ : state) {
        RenderMosaicView(f.studs, f.settings, f.view);
        benchmark::DoNotOptimize(f.view.Bits());
    }
}

void BM_ComposeOverlay(benchmark::State& state)
{
    Fixture f(int(state.range(0)));
    for (auto _ : state) {
        f.Compose(QRect(0, 0, f.view.Width(), f.view.Height()));
        benchmark::DoNotOptimize(f.composed.Bits());
    }
}

} // namespace

BENCHMARK(BM_RenderView)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeOverlay)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PenStepFull)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PenStepCells)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
