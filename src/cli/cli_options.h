#pragma once

// The options of `tesselka-cli`: one table that defines them (name, value, default,
// help, the commands that take them) and one function that turns a command line into
// the parameters of the core operations. New commands and options are added to the table.

#include "map/map_geometry.h"
#include "reduce/dither_kind.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tesselka {
class IniFile;
}

namespace tesselka::cli {

// A command line that cannot be understood: exit status 2.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

enum class Command { Convert, LoadLdraw };

struct OptionDef
{
    const char* name;      // long name without the dashes
    const char* valueName; // empty for a switch
    const char* defaultValue;
    const char* help;
    // load-ldraw takes it too, and so does convert of a project that holds its grid
    // (convert of a picture takes every option).
    bool loadLdraw;
};

// Every option, in the order --help lists them.
const std::vector<OptionDef>& ConvertOptionTable();

struct ToneOptions
{
    int brightness = 0, contrast = 0, saturation = 0, darkness = 0, lightness = 0, splitlight = 0;
    bool grayscale = false, invert = false;
};

struct ConvertOptions
{
    Command command = Command::Convert;
    // Every picture (convert) or the model (load-ldraw) named on the command line, and
    // the one a run works on.
    QStringList inputs;
    QString picture;
    int jobs = 0; // inputs converted at once; 0: one per core
    int width = 96;
    QString style = QStringLiteral("1x Plates - studs up");
    DitherKind dither = DitherStucki;
    ColorMatching matching = MatchRgb;
    // LDraw codes of the palette panels to tick; the order is always the panels' order.
    std::vector<int> paletteCodes;
    ToneOptions tone;
    // Names of the part-size boxes allowed besides the 1-long ones.
    std::vector<std::string> parts;
    QString ldconfig;
    bool ldconfigGiven = false; // named with --ldconfig, not found beside the program
    // Where the colour table was looked for when --ldconfig was not given.
    QStringList ldconfigPlaces;
    int scale = 1;
    bool blackGrid = false, grayGrid = false, studGrid = false;
    bool quiet = false;
    // Outputs; empty when not asked for. With several inputs each holds {name}.
    QString studPng, dithered, adjusted, mosaic, png16, ldraw, map;
    QString panelSize = QStringLiteral("48x48");
    // The Make Map dialog's other options (its panel size is panelSize), for --map and
    // --map-pdf.
    MapOptions mapOptions;
    QString mapPdf;
    bool a4 = false; // the printed map's paper; Letter otherwise
    // The main model's parts list and wanted list; with extraLists, each extra file's too.
    QString partsList, wantedList;
    bool extraLists = false;
    // A project at the dithered stage, of the picture and the settings it was made with.
    QString project;

    // The command line as given, so that a project's settings can take their place
    // between the settings file and the options (see ParseOptions).
    QStringList arguments;
    QString appDir;
    // The options given that only a picture takes ("--width", ...): a grid already made
    // (a model, a dithered project) refuses them rather than ignore them.
    QStringList pictureOptions;

    bool WantsMosaic() const { return !mosaic.isEmpty(); }
    // Every output name, for the checks and substitutions that treat them alike.
    std::vector<QString*> Outputs()
    {
        return {&studPng, &dithered, &adjusted,  &mosaic,     &png16,  &ldraw,
                &map,     &mapPdf,   &partsList, &wantedList, &project};
    }
};

// The style names the command line accepts (AllStyles), in list order.
const QStringList& StyleTexts();

// Parses `arguments` of `command` (without the program name and the command word).
// Throws UsageError with a one-line message, tesselka::Error when a settings file cannot
// be read. `appDir` gives the default colour table. A project's settings (INI text, from
// the file `projectPath`) come after the settings file and before the options given.
ConvertOptions ParseOptions(Command command, const QStringList& arguments, const QString& appDir,
                            const QString& projectPath = {}, std::string_view projectSettings = {});
ConvertOptions ParseConvertOptions(const QStringList& arguments, const QString& appDir);

// Takes the defaults from a settings file the window wrote ([TForm1], [TForm2] and
// [TForm3]): width, style, palette ticks, dither kind, tone positions, view grids and
// scale, map options and part sizes. Unknown keys are ignored; a value the window's
// control could not take is a UsageError naming its key.
void ApplySettingsFile(const QString& path, ConvertOptions& options);
// The same for settings already read; `where` names them in messages.
void ApplySettings(const IniFile& ini, const QString& where, ConvertOptions& options);

// The windows' settings (the sections ApplySettings reads) for `options`, written over
// `base` (INI text), whose other keys are kept: what a project carries, so that the
// window opens it with these settings.
std::string WindowSettingsText(const ConvertOptions& options, std::string_view base = {});

// The options of one input: `picture` set and {name} in every output replaced by the
// input's file name without its extension.
ConvertOptions ForInput(const ConvertOptions& options, const QString& input);

// The text of `tesselka-cli list WHAT` (styles, colours or parts). Throws UsageError for
// another WHAT. The colours' names and values come from `ldconfig` when it can be read.
QString ListText(const QString& what, const QString& ldconfig);

// The text of `tesselka-cli --help`.
QString HelpText();

} // namespace tesselka::cli
