#include "cli/convert.h"

#include "colours/color_table.h"
#include "common/error.h"
#include "common/file_path.h"
#include "formats/picture_io.h"
#include "image/tone.h"
#include "ldraw/part_sizes.h"
#include "mosaic/stud_picture.h"
#include "workflow/workflow.h"

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
        std::optional<ColorTableReadResult> read = LoadColorTableFile(FilePath(o.ldconfig), table);
        if (!read)
            say(QStringLiteral("%1: not found; the palette keeps its designed colours and LDraw codes are -1")
                    .arg(o.ldconfig));
        else if (read->error)
            throw Error(*read->error);
        else
            tableRead = true;
    });
    // Marked as the window marks them at start-up, so the exports find the same slots.
    if (tableRead)
        MarkPanelSlots(table);
    const DitherPalette chosen = BuildDitherPalette(PanelColors(table, tableRead), o.paletteCodes);

    say(QStringLiteral("Loading %1").arg(o.picture));
    Bitmap32 source;
    ForFile(o.picture, [&] { source = LoadPicture(FilePath(o.picture)); });

    // A neutral tone box leaves the picture as loaded (loaded pictures are opaque), so
    // no second full-size copy is made for it.
    ToneSettings tone{o.tone.brightness, o.tone.contrast,   o.tone.saturation, o.tone.darkness,
                      o.tone.lightness,  o.tone.splitlight, o.tone.grayscale,  o.tone.invert};
    Bitmap32 adjusted;
    if (!tone.Neutral())
        AdjustTone(source, adjusted, tone);
    const Bitmap32& work = tone.Neutral() ? source : adjusted;
    if (!o.adjusted.isEmpty()) {
        ForFile(o.adjusted, [&] { SavePng(work, FilePath(o.adjusted)); });
        written << o.adjusted;
    }

    const std::string style = o.style.toStdString();
    const CellShape cell = StyleCell(style).value_or(CellShape{StyleCellWidth, 2});
    DitherRequest request;
    request.kind = o.dither;
    request.studsWide = o.width;
    request.cell = cell;
    request.mixGrid = false; // no output of the command line draws the stud-mix grid
    IndexedBitmap reduced;
    std::optional<StudGrids> grids;
    ForFile(o.picture, [&] {
        DitherToStudGrids(work, chosen.palette, request, reduced, grids, [&](int done, int total) {
            if (total > 0 && done < total && done % std::max(1, total / 10) == 0)
                say(QStringLiteral("Dithering %1%").arg(100 * done / total));
            return true;
        });
    });
    if (!o.dithered.isEmpty()) {
        Bitmap32 dithered;
        reduced.ToBitmap32(dithered);
        ForFile(o.dithered, [&] { SavePng(dithered, FilePath(o.dithered)); });
        written << o.dithered;
    }
    if (!grids)
        throw Error(QStringLiteral("%1: the palette is empty, nothing to build").arg(o.picture).toStdString());
    const Bitmap32& studImage = grids->studImage;
    say(QStringLiteral("Mosaic of %1 x %2 studs").arg(studImage.Width()).arg(studImage.Height()));

    if (!o.studPng.isEmpty()) {
        ForFile(o.studPng, [&] { SavePng(studImage, FilePath(o.studPng)); });
        written << o.studPng;
    }
    if (!o.mosaic.isEmpty()) {
        const ViewOptions view{o.scale, {o.blackGrid, o.grayGrid, o.studGrid}};
        ForFile(o.mosaic, [&] {
            Bitmap32 picture;
            RenderMosaicView(studImage, ViewSettings(style, cell, view, false), picture);
            SavePng(picture, FilePath(o.mosaic));
        });
        written << o.mosaic;
    }
    if (!o.png16.isEmpty()) {
        ForFile(o.png16, [&] { SavePng(RenderStudPicture(studImage), FilePath(o.png16)); });
        written << o.png16;
    }
    if (!o.ldraw.isEmpty()) {
        if (!StyleHasModel(style))
            throw Error(QStringLiteral("%1: the style \"%2\" has no LDraw model").arg(o.ldraw, o.style).toStdString());
        std::vector<std::string> files;
        ForFile(o.ldraw, [&] {
            files = WriteModels(studImage, table, chosen.selected, source.Width(), source.Height(), style,
                                SizesFromNames(o.parts), FilePath(o.ldraw), [&](int done, int total) {
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
        MapJob job{studImage,   table,   chosen.selected, chosen.count, style,     cell.width,
                   cell.height, options, panelSheet,      totalsSheet,  totalsList};
        std::vector<std::string> files;
        ForFile(o.map, [&] {
            files = SaveMapFiles(job, FilePath(o.map), [&](int done, int total) {
                say(QStringLiteral("Map panel %1 of %2").arg(done).arg(total));
                return true;
            });
        });
        // The panel pictures are many; the list names the totals as before.
        for (const std::string& f : files)
            if (f.ends_with("_total.png") || f.ends_with(".txt"))
                written << QString::fromStdString(f);
    }
    return written;
}

} // namespace tesselka::cli
