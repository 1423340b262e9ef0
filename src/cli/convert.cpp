#include "cli/convert.h"

#include "colours/color_table.h"
#include "colours/palette.h"
#include "common/error.h"
#include "common/styles.h"
#include "formats/picture_io.h"
#include "image/grid_scale.h"
#include "image/tone.h"
#include "ldraw/model_writer.h"
#include "ldraw/part_sizes.h"
#include "map/map_files.h"
#include "mosaic/mosaic_renderer.h"
#include "mosaic/stud_picture.h"
#include "reduce/reduce_colors.h"

#include <QFileInfo>

#include <algorithm>

namespace tesselka::cli {

namespace {

// Errors name the file they concern, so one line on standard error says it all.
[[noreturn]] void Fail(const QString& file, const std::exception& e)
{
    throw Error(QStringLiteral("%1: %2").arg(file, QString::fromUtf8(e.what())).toStdString());
}

template <typename F>
void ForFile(const QString& file, F&& work)
{
    try {
        work();
    } catch (const std::exception& e) {
        Fail(file, e);
    }
}

PartSizes SizesFromNames(const std::vector<std::string>& names)
{
    PartSizes sizes;
    for (const PartBoxInfo& info : PartBoxes)
        if (std::find(names.begin(), names.end(), info.name) != names.end())
            sizes.Set(info.box, true);
    return sizes;
}

} // namespace

QStringList RunConvert(const ConvertOptions& o, const MessageSink& progress)
{
    auto say = [&](const QString& text) {
        if (!o.quiet && progress)
            progress(text);
    };
    QStringList written;

    // The colour table, as the window reads it at start-up. Without it the palette has
    // its designed colours and no colour has an LDraw code, as in the window.
    ColorTable table;
    bool tableRead = false;
    ForFile(o.ldconfig, [&] {
        std::optional<ColorTableReadResult> read = LoadColorTableFile(o.ldconfig.toStdString(), table);
        if (!read)
            say(QStringLiteral("%1: not found; the palette keeps its designed colours and LDraw codes are -1")
                    .arg(o.ldconfig));
        else if (read->error)
            throw Error(*read->error);
        else
            tableRead = true;
    });
    std::vector<TColor> ticked;
    for (const PaletteEntry& entry : PaletteEntries) {
        TColor colour = PanelColor(entry, table, tableRead);
        if (tableRead)
            table[table.PanelSlotForCode(entry.code)].OnPanel = true;
        if (std::find(o.paletteCodes.begin(), o.paletteCodes.end(), entry.code) != o.paletteCodes.end())
            ticked.push_back(colour);
    }
    if (tableRead) // the pen-colour indicator is a panel too (code 0)
        table[table.PanelSlotForCode(0)].OnPanel = true;

    say(QStringLiteral("Loading %1").arg(o.picture));
    Bitmap32 source;
    ForFile(o.picture, [&] { source = LoadPicture(o.picture.toStdString()); });

    // A neutral tone box leaves the picture as loaded (loaded pictures are opaque), so
    // no second full-size copy is made for it.
    ToneSettings tone{o.tone.brightness, o.tone.contrast,   o.tone.saturation, o.tone.darkness,
                      o.tone.lightness,  o.tone.splitlight, o.tone.grayscale,  o.tone.invert};
    Bitmap32 adjusted;
    if (!tone.Neutral())
        AdjustTone(source, adjusted, tone);
    const Bitmap32& work = tone.Neutral() ? source : adjusted;
    if (!o.adjusted.isEmpty()) {
        ForFile(o.adjusted, [&] { SavePng(work, o.adjusted.toStdString()); });
        written << o.adjusted;
    }

    int n = 0;
    SelectedColorArray selected = MakeSelectedColors(ticked, n);
    ReductionPalette palette = MakeReductionPalette(selected, n);
    IndexedBitmap reduced;
    ForFile(o.picture, [&] {
        ReduceBitmapColors(work, ReduceCustomPalette, o.dither, 8, palette, reduced, [&](int done, int total) {
            if (total > 0 && done < total && done % std::max(1, total / 10) == 0)
                say(QStringLiteral("Dithering %1%").arg(100 * done / total));
            return true;
        });
    });
    if (!o.dithered.isEmpty()) {
        Bitmap32 dithered;
        reduced.ToBitmap32(dithered);
        ForFile(o.dithered, [&] { SavePng(dithered, o.dithered.toStdString()); });
        written << o.dithered;
    }

    // The grid is sampled from the indices: the same pixels as scaling the dithered
    // picture, without making that full-size picture.
    const std::string style = o.style.toStdString();
    const int cellHeight = StyleCellHeight(style).value_or(2);
    Bitmap32 studImage;
    ForFile(o.picture, [&] {
        if (std::optional<GridScaleResult> grid =
                PlanGrid(reduced.Width(), reduced.Height(), o.width, StyleCellWidth, cellHeight, false)) {
            studImage.SetSize(grid->targetWidth, grid->targetHeight);
            reduced.StretchTo(studImage);
        }
    });
    if (studImage.Empty())
        throw Error(QStringLiteral("%1: the palette is empty, nothing to build").arg(o.picture).toStdString());
    say(QStringLiteral("Mosaic of %1 x %2 studs").arg(studImage.Width()).arg(studImage.Height()));

    if (!o.studPng.isEmpty()) {
        ForFile(o.studPng, [&] { SavePng(studImage, o.studPng.toStdString()); });
        written << o.studPng;
    }
    if (!o.mosaic.isEmpty()) {
        MosaicRenderSettings settings;
        settings.cellWidth = StyleCellWidth;
        settings.cellHeight = cellHeight;
        settings.scale = o.scale;
        settings.grids = {o.blackGrid, o.grayGrid, o.studGrid};
        StudGridSpacing(style, false, settings.rowSpacing, settings.columnSpacing);
        ForFile(o.mosaic, [&] {
            Bitmap32 view;
            RenderMosaicView(studImage, settings, view);
            SavePng(view, o.mosaic.toStdString());
        });
        written << o.mosaic;
    }
    if (!o.png16.isEmpty()) {
        ForFile(o.png16, [&] { SavePng(RenderStudPicture(studImage), o.png16.toStdString()); });
        written << o.png16;
    }
    if (!o.ldraw.isEmpty()) {
        ModelExportInput input{
            studImage, table, selected, source.Width(), source.Height(), style, SizesFromNames(o.parts)};
        if (ModelFilesForStyle(style).empty())
            throw Error(QStringLiteral("%1: the style \"%2\" has no LDraw model").arg(o.ldraw, o.style).toStdString());
        std::vector<std::string> files;
        ForFile(o.ldraw, [&] {
            files = ExportModelFiles(input, o.ldraw.toStdString(), [&](int done, int total) {
                say(QStringLiteral("LDraw file %1 of %2").arg(done).arg(total));
                return true;
            });
        });
        for (const std::string& f : files)
            written << QString::fromStdString(f);
    }
    if (!o.map.isEmpty()) {
        // The map's grid options are its own (the dialog's), not the rendered view's.
        Bitmap32 panelSheet, totalsSheet;
        QStringList totalsList;
        MapOptions options;
        options.panelSize = o.panelSize.toStdString();
        MapJob job{studImage,  table,   selected,   n,           style,     StyleCellWidth,
                   cellHeight, options, panelSheet, totalsSheet, totalsList};
        const std::string base = MapBaseName(o.map.toStdString());
        ForFile(o.map, [&] {
            SaveMap(job, base, [&](int done, int total) {
                say(QStringLiteral("Map panel %1 of %2").arg(done).arg(total));
                return true;
            });
        });
        written << QString::fromStdString(base) + QStringLiteral("_total.png")
                << QString::fromStdString(base) + QStringLiteral(".txt");
    }
    return written;
}

} // namespace tesselka::cli
