#pragma once

// The options of `tesselka-cli convert`: one table that defines them (name, value,
// default, help) and one function that turns a command line into the parameters of the
// core operations. New commands and options are added to the table.

#include "reduce/dither_kind.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tesselka::cli {

// A command line that cannot be understood: exit status 2.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct OptionDef
{
    const char* name;      // long name without the dashes
    const char* valueName; // empty for a switch
    const char* defaultValue;
    const char* help;
};

// Every option of `convert`, in the order --help lists them.
const std::vector<OptionDef>& ConvertOptionTable();

struct ToneOptions
{
    int brightness = 0, contrast = 0, saturation = 0, darkness = 0, lightness = 0, splitlight = 0;
    bool grayscale = false, invert = false;
};

struct ConvertOptions
{
    QString picture;
    int width = 96;
    QString style = QStringLiteral("1x Plates - studs up");
    DitherKind dither = DitherStucki;
    // LDraw codes of the palette panels to tick; the order is always the panels' order.
    std::vector<int> paletteCodes;
    ToneOptions tone;
    // Names of the part-size boxes allowed besides the 1-long ones.
    std::vector<std::string> parts;
    QString ldconfig;
    int scale = 1;
    bool blackGrid = false, grayGrid = false, studGrid = false;
    bool quiet = false;
    // Outputs; empty when not asked for.
    QString studPng, dithered, adjusted, mosaic, png16, ldraw, map;
    QString panelSize = QStringLiteral("48x48");

    bool WantsMosaic() const { return !mosaic.isEmpty(); }
};

// The style names the command line accepts (AllStyles), in list order.
const QStringList& StyleTexts();

// Parses `arguments` (without the program name and the command word). Throws UsageError
// with a one-line message. `appDir` gives the default colour table.
ConvertOptions ParseConvertOptions(const QStringList& arguments, const QString& appDir);

// The text of `tesselka-cli --help`.
QString HelpText();

} // namespace tesselka::cli
