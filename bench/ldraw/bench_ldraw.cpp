// LDraw export of a 400 x 400 stud mosaic of a photo: packing alone, and every file of
// the style with the most files.
#include "ldraw/model_writer.h"

#include "test_mosaics.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tesselka;
using namespace tesselka::test;

namespace {

struct Mosaic
{
    SelectedColorArray selected{};
    ColorTable table = PaletteTable(selected);
    Bitmap32 image = DitheredPhoto("astronaut400.jpg", table);
};

const Mosaic& Photo()
{
    static const Mosaic mosaic;
    return mosaic;
}

// Packing the banded four-wide model, the one with the most passes, on square crops of
// the photo: time per cell should stay flat as the side grows.
void BM_PackPlatesStudsOut(benchmark::State& state)
{
    const Mosaic& m = Photo();
    const int side = int(state.range(0));
    Bitmap32 crop(side, side);
    crop.Draw(0, 0, m.image);
    const ModelExportInput input{crop, m.table, m.selected, side, side, "1x Plates - studs out", PartSizes::All()};
    StudGrid grid;
    ExportPasses passes;
    passes.StackPairs = passes.FourWidePass = true;
    for (auto _ : state) {
        BuildModel(grid, input, ModelBuilder::Banded, passes);
        benchmark::DoNotOptimize(grid.At(0, 0, 0));
    }
    state.SetItemsProcessed(state.iterations() * side * side);
    state.SetComplexityN(int64_t(side) * side);
}
BENCHMARK(BM_PackPlatesStudsOut)
    ->Arg(100)
    ->Arg(200)
    ->Arg(400)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_ExportAllFilesPlatesStudsOut(benchmark::State& state)
{
    const Mosaic& m = Photo();
    const PartSizes sizes = state.range(0) ? PartSizes::All() : PartSizes();
    const ModelExportInput input{m.image, m.table, m.selected, 400, 400, "1x Plates - studs out", sizes};
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("photo.ldr")).toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(ExportModelFiles(input, path));
}
BENCHMARK(BM_ExportAllFilesPlatesStudsOut)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
