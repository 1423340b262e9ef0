#include "cli/convert.h"

#include "colours/color_table.h"
#include "common/error.h"
#include "common/file_path.h"
#include "common/input_file.h"
#include "common/version.h"
#include "formats/picture_io.h"
#include "formats/picture_rows.h"
#include "image/tone.h"
#include "ldraw/model_reader.h"
#include "ldraw/model_writer.h"
#include "ldraw/part_sizes.h"
#include "mosaic/stud_picture.h"
#include "project/project_file.h"
#include "settings/ini_file.h"
#include "workflow/row_stream.h"
#include "workflow/workflow.h"

#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <mutex>
#include <thread>

namespace tesselka::cli {

namespace {

// Errors name the file they concern, so one line on standard error says it all.
[[noreturn]] void Fail(const QString& file, const std::exception& e)
{
    const QString message = QString::fromUtf8(e.what());
    // "x is a folder" names the file already.
    if (message.startsWith(file + QLatin1Char(' ')))
        throw Error(message.toStdString());
    throw Error(QStringLiteral("%1: %2").arg(file, message).toStdString());
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

// The colour table, as the window reads it at start-up, with the panels' slots marked.
// Without the one beside the program the palette has its designed colours and the models
// are Black (0), as in the window, which says so whatever --quiet asks (`warn`). A table
// named with --ldconfig must be read. Returns whether it was read.
bool LoadTable(const ConvertOptions& o, ColorTable& table, const MessageSink& warn)
{
    bool tableRead = false;
    ForFile(o.ldconfig, [&] {
        std::optional<ColorTableReadResult> read = LoadColorTableFile(FilePath(o.ldconfig), table);
        if (o.ldconfigGiven && !read)
            ThrowIoError(ENOENT, FilePath(o.ldconfig));
        // Without a single colour every model would be Black: named on purpose, that is
        // no colour table.
        if (o.ldconfigGiven && read->linesRead == 0 && !read->error)
            throw Error("no colour lines (0 !COLOUR) in this file");
        const QString where = o.ldconfigPlaces.size() == 2
                                  ? QStringLiteral("%1 (nor %2)").arg(o.ldconfigPlaces[0], o.ldconfigPlaces[1])
                                  : o.ldconfig;
        if (!read) {
            if (warn)
                warn(QStringLiteral("%1: not found; the palette keeps its designed colours and the LDraw models "
                                    "are all Black (colour 0)")
                         .arg(where));
        } else if (read->error) {
            throw Error(*read->error);
        } else {
            tableRead = true;
        }
    });
    if (tableRead)
        MarkPanelSlots(table);
    return tableRead;
}

// What the outputs of a stud grid read, whether it came from a picture or a model.
struct GridSource
{
    const Bitmap32& studImage;
    std::string style;
    CellShape cell;
    ColorTable& table;
    const DitherPalette& palette;
    int sourceWidth;
    int sourceHeight;
};

// `say` reports progress (silent with --quiet); `warn` what the user must know even then.
void WriteGridOutputs(const ConvertOptions& o, const GridSource& g, QStringList& written,
                      const std::function<void(const QString&)>& say, const std::function<void(const QString&)>& warn)
{
    if (!o.studPng.isEmpty()) {
        ForFile(o.studPng, [&] { SavePng(g.studImage, FilePath(o.studPng)); });
        written << o.studPng;
    }
    if (!o.mosaic.isEmpty()) {
        const ViewOptions view{o.scale, {o.blackGrid, o.grayGrid, o.studGrid}};
        ForFile(o.mosaic, [&] {
            Bitmap32 picture;
            RenderMosaicView(g.studImage, ViewSettings(g.style, g.cell, view, false), picture);
            SavePng(picture, FilePath(o.mosaic));
        });
        written << o.mosaic;
    }
    if (!o.png16.isEmpty()) {
        ForFile(o.png16, [&] { SavePng(RenderStudPicture(g.studImage), FilePath(o.png16)); });
        written << o.png16;
    }
    if (!o.ldraw.isEmpty()) {
        if (!StyleHasModel(g.style))
            throw Error(QStringLiteral("%1: the style \"%2\" has no LDraw model")
                            .arg(o.ldraw, QString::fromStdString(g.style))
                            .toStdString());
        if (o.ldraw == QLatin1String("-") && ModelFilesForStyle(g.style).size() > 1)
            throw Error(QStringLiteral("-: the style \"%1\" makes several model files; standard output takes one")
                            .arg(QString::fromStdString(g.style))
                            .toStdString());
        std::vector<std::string> files;
        ForFile(o.ldraw, [&] {
            files = WriteModels(g.studImage, g.table, g.palette.selected, g.sourceWidth, g.sourceHeight, g.style,
                                SizesFromNames(o.parts), FilePath(o.ldraw), [&](int done, int total) {
                                    say(QStringLiteral("LDraw file %1 of %2").arg(done).arg(total));
                                    return true;
                                });
        });
        for (const std::string& f : files)
            written << QString::fromStdString(f);
    }
    if (!o.partsList.isEmpty() || !o.wantedList.isEmpty()) {
        // Packed as for --ldraw, whether or not the model itself is written.
        const QString& listFile = o.partsList.isEmpty() ? o.wantedList : o.partsList;
        if (!StyleHasModel(g.style))
            throw Error(QStringLiteral("%1: the style \"%2\" has no LDraw model")
                            .arg(listFile, QString::fromStdString(g.style))
                            .toStdString());
        ModelListsOutcome lists;
        ForFile(listFile, [&] {
            lists =
                WritePartsLists(g.studImage, g.table, g.palette.selected, g.sourceWidth, g.sourceHeight, g.style,
                                SizesFromNames(o.parts), {FilePath(o.partsList), FilePath(o.wantedList), o.extraLists});
        });
        for (const std::string& f : lists.written)
            written << QString::fromStdString(f);
        say(QStringLiteral("The main model has %1 parts").arg(lists.mainParts));
        for (const std::string& warning : lists.warnings)
            warn(QStringLiteral("warning: ") + QString::fromStdString(warning));
    }
    if (o.map == QLatin1String("-"))
        throw Error("-: a map is several files; standard output takes one");
    if (!o.map.isEmpty() || !o.mapPdf.isEmpty()) {
        // The map's grid options are its own (the dialog's), not the rendered view's.
        Bitmap32 panelSheet, totalsSheet;
        QStringList totalsList;
        MapOptions options = o.mapOptions;
        options.panelSize = o.panelSize.toStdString();
        MapJob job{g.studImage,   g.table, g.palette.selected, g.palette.count, g.style,   g.cell.width,
                   g.cell.height, options, panelSheet,         totalsSheet,     totalsList};
        if (!o.map.isEmpty()) {
            std::vector<std::string> files;
            ForFile(o.map, [&] {
                files = SaveMapFiles(job, FilePath(o.map), [&](int done, int total) {
                    say(QStringLiteral("Map panel %1 of %2").arg(done).arg(total));
                    return true;
                });
            });
            for (const std::string& f : files)
                written << QString::fromStdString(f);
        }
        if (!o.mapPdf.isEmpty()) {
            say(QStringLiteral("Printing the map to %1").arg(o.mapPdf));
            ForFile(o.mapPdf, [&] { WriteMapPdfFile(job, FilePath(o.mapPdf), o.a4); });
            written << o.mapPdf;
        }
    }
}

// What every run starts from: its progress lines, the colour table and the palette.
struct RunStart
{
    RunStart(const ConvertOptions& o, const MessageSink& progress)
        : say([&o, progress](const QString& text) {
              if (!o.quiet && progress)
                  progress(text);
          }),
          warn([progress](const QString& text) {
              if (progress)
                  progress(text);
          })
    {
        const bool tableRead = LoadTable(o, table, warn);
        chosen = BuildDitherPalette(PanelColors(table, tableRead), o.paletteCodes);
    }

    // What every run says once it has its grid.
    void SayMosaic(const Bitmap32& studs) const
    {
        say(QStringLiteral("Mosaic of %1 x %2 studs").arg(studs.Width()).arg(studs.Height()));
    }

    // The dither's progress, a line every tenth.
    bool Dithering(int done, int total) const
    {
        if (total > 0 && done < total && done % std::max(1, total / 10) == 0)
            say(QStringLiteral("Dithering %1%").arg(100 * done / total));
        return true;
    }

    std::function<void(const QString&)> say;
    std::function<void(const QString&)> warn;
    ColorTable table;
    DitherPalette chosen;
};

} // namespace

namespace {

// Where the picture of a run came from, for the project it may write.
struct PictureOrigin
{
    std::string name;                   // the file name without folders
    std::function<std::string()> bytes; // the file's bytes, read only for a project
    std::string settings;               // the INI text the project's settings go over
};

// A text that is not a style draws with the first style's cell, as the window does at start.
CellShape CellOf(const std::string& style)
{
    return StyleCell(style).value_or(CellShape{StyleCellWidth, 2});
}

ToneSettings ToneOf(const ConvertOptions& o)
{
    return {o.tone.brightness, o.tone.contrast,   o.tone.saturation, o.tone.darkness,
            o.tone.lightness,  o.tone.splitlight, o.tone.grayscale,  o.tone.invert};
}

DitherRequest RequestOf(const ConvertOptions& o, const std::string& style, CellShape cell)
{
    DitherRequest request;
    request.kind = o.dither;
    request.matching = o.matching;
    request.studsWide = o.width;
    request.cell = cell;
    // No output of the command line draws the stud-mix grid; a project keeps it as the
    // window does, for a later change to the stud-mix style.
    using MixGrid = DitherRequest::MixGrid;
    request.mixGrid = o.project.isEmpty() ? MixGrid::None : UsesStudMix(style) ? MixGrid::Required : MixGrid::IfItFits;
    return request;
}

// Tone -> Dither Image -> the outputs, for a picture loaded from `origin`.
QStringList ConvertPicture(const ConvertOptions& o, RunStart& run, const Bitmap32& source, const PictureOrigin& origin)
{
    QStringList written;
    // A neutral tone box leaves the picture as loaded (loaded pictures are opaque), so
    // no second full-size copy is made for it.
    const ToneSettings tone = ToneOf(o);
    Bitmap32 adjusted;
    if (!tone.Neutral())
        AdjustTone(source, adjusted, tone);
    const Bitmap32& work = tone.Neutral() ? source : adjusted;
    if (!o.adjusted.isEmpty()) {
        ForFile(o.adjusted, [&] { SavePng(work, FilePath(o.adjusted)); });
        written << o.adjusted;
    }

    const std::string style = o.style.toStdString();
    const CellShape cell = CellOf(style);
    const DitherRequest request = RequestOf(o, style, cell);
    IndexedBitmap reduced;
    std::optional<StudGrids> grids;
    ForFile(o.picture, [&] {
        DitherToStudGrids(work, run.chosen.palette, request, reduced, grids,
                          [&](int done, int total) { return run.Dithering(done, total); });
    });
    if (!o.dithered.isEmpty()) {
        // Coloured a few rows at a time as the writer takes them: no full-size copy.
        ForFile(o.dithered, [&] {
            SavePngRows(
                reduced.Width(), reduced.Height(),
                [&reduced](int first, int count, TColor32* rows) { reduced.RowsToColors(first, count, rows); },
                FilePath(o.dithered));
        });
        written << o.dithered;
    }
    if (!grids)
        throw Error(QStringLiteral("%1: the palette is empty, nothing to build").arg(o.picture).toStdString());
    run.SayMosaic(grids->studImage);

    if (!o.project.isEmpty()) {
        if (o.project == QLatin1String("-"))
            throw Error("-: a project is written to a file, not to standard output");
        // What the window's Save Project writes after Dither Image: the view is the
        // full-size dithered picture.
        ForFile(o.project, [&] {
            Project project;
            project.stage = 1;
            project.programVersion = VersionText;
            project.pictureName = origin.name;
            project.pictureBytes = origin.bytes();
            project.settings = WindowSettingsText(o, origin.settings);
            project.studImage = grids->studImage;
            project.mixStudImage = grids->mixStudImage;
            reduced.ToBitmap32(project.view);
            SaveProject(project, FilePath(o.project));
        });
        written << o.project;
    }

    WriteGridOutputs(o, {grids->studImage, style, cell, run.table, run.chosen, source.Width(), source.Height()},
                     written, run.say, run.warn);
    return written;
}

// A fault that names its file already, from the threads of the row pipeline.
class NamedError : public Error
{
public:
    using Error::Error;
};

template <typename F>
void ForFileNamed(const QString& file, F&& work)
{
    try {
        ForFile(file, work);
    } catch (const Error& e) {
        throw NamedError(e.what());
    }
}

// The rows of the picture, whose faults name it.
class NamedRows final : public PictureRows
{
public:
    NamedRows(PictureRows& rows, const QString& file) : rows_(rows), file_(file)
    {
        width_ = rows.Width();
        height_ = rows.Height();
    }
    void Read(TColor32* rows, int count) override
    {
        ForFileNamed(file_, [&] { rows_.Read(rows, count); });
    }

private:
    PictureRows& rows_;
    const QString& file_;
};

// Whether the row pipeline makes what ConvertPicture makes. A project needs the whole
// dithered picture, and the few runs that fail between their outputs (an empty palette, a
// grid too large) are left to ConvertPicture, so that they leave the same files behind.
bool RowsFit(const ConvertOptions& o, const PictureRows& rows, const RunStart& run, const DitherRequest& request)
{
    if (!o.project.isEmpty() || run.chosen.palette.Count() == 0 || rows.Width() == 0 || rows.Height() == 0)
        return false;
    try {
        PlanGrid(rows.Width(), rows.Height(), request.studsWide, request.cell.width, request.cell.height, false);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// ConvertPicture for a picture read, toned and dithered a few rows at a time: --adjusted and
// --dithered are written as the rows come, and the files take their names only when
// everything has been read.
QStringList ConvertRows(const ConvertOptions& o, RunStart& run, PictureRows& rows, const DitherRequest& request)
{
    QStringList written;
    std::optional<PngFileWriter> adjusted, dithered;
    if (!o.adjusted.isEmpty())
        ForFile(o.adjusted, [&] { adjusted.emplace(rows.Width(), rows.Height(), FilePath(o.adjusted)); });
    if (!o.dithered.isEmpty())
        ForFile(o.dithered, [&] { dithered.emplace(rows.Width(), rows.Height(), FilePath(o.dithered)); });
    RowStreamOutputs outputs;
    if (adjusted)
        outputs.adjusted = [&](const TColor32* pixels, int count) {
            ForFileNamed(o.adjusted, [&] { adjusted->AddRows(pixels, count); });
        };
    if (dithered)
        outputs.dithered = [&](const TColor32* pixels, int count) {
            ForFileNamed(o.dithered, [&] { dithered->AddRows(pixels, count); });
        };
    std::optional<StudGrids> grids;
    NamedRows named(rows, o.picture);
    // The faults of the reading and the writing name their files already; the dither's
    // own name the picture, as in ConvertPicture.
    try {
        StreamToStudGrids(named, ToneOf(o), run.chosen.palette, request, outputs, grids,
                          [&](int done, int total) { return run.Dithering(done, total); });
    } catch (const NamedError& e) {
        throw Error(e.what());
    } catch (const std::exception& e) {
        Fail(o.picture, e);
    }
    if (adjusted) {
        ForFile(o.adjusted, [&] { adjusted->Finish(); });
        written << o.adjusted;
    }
    if (dithered) {
        ForFile(o.dithered, [&] { dithered->Finish(); });
        written << o.dithered;
    }
    if (!grids)
        throw Error(QStringLiteral("%1: the palette is empty, nothing to build").arg(o.picture).toStdString());
    run.SayMosaic(grids->studImage);

    const std::string style = o.style.toStdString();
    WriteGridOutputs(o, {grids->studImage, style, request.cell, run.table, run.chosen, rows.Width(), rows.Height()},
                     written, run.say, run.warn);
    return written;
}

// A project in place of a picture: its settings are the defaults, its grid and edits
// the mosaic. A project saved before Dither Image is dithered like its picture.
QStringList RunProject(const ConvertOptions& given, const MessageSink& progress)
{
    Project project;
    ForFile(given.picture, [&] { project = LoadProject(FilePath(given.picture)); });
    // The options given on the command line still win over the project's settings; a
    // caller without a command line takes the project's settings over its own.
    ConvertOptions o = given;
    if (given.arguments.isEmpty())
        ApplySettings(IniFile(project.settings), given.picture, o);
    else
        o = ForInput(ParseOptions(given.command, given.arguments, given.appDir, given.picture, project.settings),
                     given.picture);

    RunStart run(o, progress);
    run.say(QStringLiteral("Loading %1").arg(o.picture));
    if (project.stage == 0) {
        Bitmap32 source;
        ForFile(o.picture, [&] { source = DecodeProjectPicture(project); });
        return ConvertPicture(o, run, source,
                              {project.pictureName, [&project] { return project.pictureBytes; }, project.settings});
    }
    if (!o.pictureOptions.isEmpty())
        throw Error(QStringLiteral("%1: the project holds its grid already; %2 only applies to a picture")
                        .arg(o.picture, o.pictureOptions.join(QStringLiteral(", ")))
                        .toStdString());
    const std::string style = o.style.toStdString();
    const CellShape cell = CellOf(style);
    // The models note the picture's size; it is decoded for them only.
    Bitmap32 source;
    if (!o.ldraw.isEmpty() || !o.partsList.isEmpty() || !o.wantedList.isEmpty())
        ForFile(o.picture, [&] { source = DecodeProjectPicture(project); });
    run.SayMosaic(project.studImage);

    QStringList written;
    WriteGridOutputs(o, {project.studImage, style, cell, run.table, run.chosen, source.Width(), source.Height()},
                     written, run.say, run.warn);
    return written;
}

} // namespace

QStringList RunConvert(const ConvertOptions& o, const MessageSink& progress, PictureReading reading)
{
    if (IsProjectPath(o.picture.toStdString()))
        return RunProject(o, progress);
    RunStart run(o, progress);
    run.say(QStringLiteral("Loading %1").arg(o.picture));
    if (reading == PictureReading::Rows) {
        std::unique_ptr<PictureRows> rows;
        ForFile(o.picture, [&] { rows = OpenPictureRows(FilePath(o.picture)); });
        const std::string style = o.style.toStdString();
        const DitherRequest request = RequestOf(o, style, CellOf(style));
        if (rows && RowsFit(o, *rows, run, request))
            return ConvertRows(o, run, *rows, request);
    }
    Bitmap32 source;
    ForFile(o.picture, [&] { source = LoadPicture(FilePath(o.picture)); });
    const PictureOrigin origin{QFileInfo(o.picture).fileName().toStdString(),
                               [&o] {
                                   // Kept as the file was, as the window's Save Project keeps it.
                                   const std::string path = FilePath(o.picture);
                                   return ReadAllAndClose(OpenRegularFile(path), path, ProjectLimits::MaxPicture,
                                                          "The picture " +
                                                              QFileInfo(o.picture).fileName().toStdString() +
                                                              " is too large for a project");
                               },
                               {}};
    return ConvertPicture(o, run, source, origin);
}

QStringList RunLoadLdraw(const ConvertOptions& o, const MessageSink& progress)
{
    RunStart run(o, progress);
    QStringList written;

    run.say(QStringLiteral("Loading %1").arg(o.picture));
    Bitmap32 studImage, sourcePicture;
    TColor drawColor = 0;
    std::string style;
    ModelReadTarget target{studImage, sourcePicture, drawColor, [](const std::string&) {},
                           [&style](const std::string& text) { style = text; }};
    ForFile(o.picture, [&] {
        if (ReadModelFile(FilePath(o.picture), run.table, target) == ModelReadResult::NotOurs)
            throw Error(NotOurModelText);
    });
    const CellShape cell = CellOf(style);
    run.SayMosaic(studImage);

    WriteGridOutputs(o, {studImage, style, cell, run.table, run.chosen, sourcePicture.Width(), sourcePicture.Height()},
                     written, run.say, run.warn);
    return written;
}

int RunAll(const ConvertOptions& options, const MessageSink& progress, const MessageSink& written,
           const MessageSink& failed)
{
    std::mutex sinks;
    auto locked = [&sinks](const MessageSink& sink) {
        return [&sinks, &sink](const QString& line) {
            if (!sink)
                return;
            std::lock_guard lock(sinks);
            sink(line);
        };
    };
    const MessageSink say = locked(progress), wrote = locked(written), fail = locked(failed);
    const bool several = options.inputs.size() > 1;
    std::atomic<int> next = 0, failures = 0;
    auto work = [&] {
        for (int i = next++; i < options.inputs.size(); i = next++) {
            const ConvertOptions one = ForInput(options, options.inputs[i]);
            // With several pictures at once each progress line says whose it is.
            const MessageSink tagged = [&](const QString& line) {
                say(several ? QFileInfo(one.picture).fileName() + QStringLiteral(": ") + line : line);
            };
            try {
                const QStringList files =
                    one.command == Command::LoadLdraw ? RunLoadLdraw(one, tagged) : RunConvert(one, tagged);
                for (const QString& file : files)
                    wrote(file);
            } catch (const std::exception& e) {
                ++failures;
                fail(QString::fromUtf8(e.what()));
            }
        }
    };
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int threads = std::min<qsizetype>(options.jobs > 0 ? options.jobs : cores, options.inputs.size());
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    return failures;
}

} // namespace tesselka::cli
