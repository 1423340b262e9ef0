#include "cli/cli_options.h"

#include "colours/palette.h"
#include "common/styles.h"
#include "image/grid_scale.h"
#include "ldraw/part_sizes.h"

#include <QCommandLineParser>

#include <algorithm>

namespace tesselka::cli {

namespace {

struct DitherName
{
    const char* name;
    DitherKind kind;
};

constexpr DitherName DitherNames[] = {
    {"floyd", DitherFloydSteinberg},     {"stucki", DitherStucki},           {"sierra", DitherSierra},
    {"jarvis", DitherJarvisJudiceNinke}, {"stevenson", DitherStevensonArce}, {"burkes", DitherBurkes},
    {"nearest", DitherNearest},
};

// The boxes Default ticks, by LDraw code: red, yellow, green, blue, black, grey, white.
constexpr int DefaultPaletteCodes[] = {4, 14, 2, 1, 0, 7, 15};

int ParseRange(const QString& option, const QString& text, int low, int high)
{
    bool ok = false;
    int value = text.toInt(&ok, 10);
    if (!ok || value < low || value > high)
        throw UsageError(QStringLiteral("--%1: '%2' is not a whole number from %3 to %4")
                             .arg(option, text)
                             .arg(low)
                             .arg(high)
                             .toStdString());
    return value;
}

std::vector<int> ParsePalette(const QString& text)
{
    std::vector<int> codes;
    if (text == QLatin1String("default"))
        return {std::begin(DefaultPaletteCodes), std::end(DefaultPaletteCodes)};
    if (text == QLatin1String("all")) {
        for (const PaletteEntry& entry : PaletteEntries)
            codes.push_back(entry.code);
        return codes;
    }
    for (const QString& item : text.split(QLatin1Char(','))) {
        bool ok = false;
        int code = item.trimmed().toInt(&ok, 10);
        bool known = ok && std::any_of(PaletteEntries.begin(), PaletteEntries.end(),
                                       [code](const PaletteEntry& e) { return e.code == code; });
        if (!known)
            throw UsageError(
                QStringLiteral("--palette: '%1' is not the LDraw code of a palette colour").arg(item).toStdString());
        codes.push_back(code);
    }
    return codes;
}

std::vector<std::string> ParseParts(const QString& text)
{
    std::vector<std::string> names;
    if (text == QLatin1String("default"))
        return names;
    if (text == QLatin1String("all")) {
        for (const PartBoxInfo& info : PartBoxes)
            names.emplace_back(info.name);
        return names;
    }
    for (const QString& item : text.split(QLatin1Char(','))) {
        std::string name = item.trimmed().toStdString();
        bool known = std::any_of(PartBoxes.begin(), PartBoxes.end(),
                                 [&name](const PartBoxInfo& info) { return name == info.name; });
        if (!known)
            throw UsageError("--parts: '" + name + "' is not a part size (for example plate1x2, brick2x4)");
        names.push_back(name);
    }
    return names;
}

} // namespace

const std::vector<OptionDef>& ConvertOptionTable()
{
    static const std::vector<OptionDef> options = {
        {"width", "N", "96", "Mosaic width in studs (1 to 4000)."},
        {"style", "TEXT", "1x Plates - studs up", "Brick style, one of the style list or \"1x Plates - stud mix\"."},
        {"dither", "KIND", "stucki", "floyd, stucki, sierra, jarvis, stevenson, burkes or nearest."},
        {"palette", "COLOURS", "default", "default, all, or LDraw codes of palette colours: 4,14,2,..."},
        {"brightness", "N", "0", "Brightness, -255 to 255."},
        {"contrast", "N", "0", "Contrast, -255 to 255."},
        {"saturation", "N", "0", "Saturation, -255 to 255."},
        {"darkness", "N", "0", "Darkness, -255 to 255."},
        {"lightness", "N", "0", "Lightness, -255 to 255."},
        {"splitlight", "N", "0", "Splitlight, 0 to 10."},
        {"grayscale", "", "off", "Turn the picture grey before dithering."},
        {"invert", "", "off", "Invert the picture's colours."},
        {"parts", "SIZES", "default", "Part sizes for LDraw: default (1-long only), all, or names: plate1x2,..."},
        {"ldconfig", "FILE", "ldconfig.ldr beside the program", "The LDraw colour table."},
        {"scale", "N", "1", "Scale of the rendered mosaic, 1 to 8."},
        {"black-grid", "", "off", "Rendered mosaic: black lines between different colours."},
        {"gray-grid", "", "off", "Rendered mosaic: grey lines between equal colours."},
        {"stud-grid", "", "off", "Rendered mosaic: red lines every 8 studs."},
        {"stud-png", "FILE", "none", "Write the mosaic at one pixel per stud (PNG)."},
        {"dithered", "FILE", "none", "Write the full-size dithered picture (PNG)."},
        {"adjusted", "FILE", "none", "Write the picture after the tone settings (PNG)."},
        {"mosaic", "FILE", "none", "Write the rendered mosaic view (PNG)."},
        {"png16", "FILE", "none", "Write the mosaic at 16 x 16 pixels per stud (PNG)."},
        {"ldraw", "FILE", "none", "Write the LDraw model files of the style (FILE, FILE_1.ldr, ...)."},
        {"map", "FILE", "none", "Write the build map: FILE_1-1.png per panel, FILE_total.png and FILE.txt."},
        {"panel-size", "SIZE", "48x48", "Panel size of the build map: 6x6, 8x8, 32x32 or 48x48."},
        {"quiet", "", "off", "No progress on standard error."},
    };
    return options;
}

const QStringList& StyleTexts()
{
    static const QStringList styles = [] {
        QStringList list;
        for (std::string_view style : AllStyles)
            list << QString::fromLatin1(style.data(), qsizetype(style.size()));
        return list;
    }();
    return styles;
}

ConvertOptions ParseConvertOptions(const QStringList& arguments, const QString& appDir)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionDef& option : ConvertOptionTable())
        parser.addOption(QCommandLineOption(QString::fromLatin1(option.name), QString::fromUtf8(option.help),
                                            QString::fromLatin1(option.valueName)));
    if (!parser.parse(QStringList{QStringLiteral("tesselka-cli")} + arguments))
        throw UsageError(parser.errorText().toStdString());
    if (parser.positionalArguments().size() != 1)
        throw UsageError("convert takes exactly one picture file");

    ConvertOptions o;
    o.picture = parser.positionalArguments().first();
    auto value = [&parser](const char* name) { return parser.value(QString::fromLatin1(name)); };
    auto isSet = [&parser](const char* name) { return parser.isSet(QString::fromLatin1(name)); };

    if (isSet("width"))
        o.width = ParseRange(QStringLiteral("width"), value("width"), 1, MaxMosaicWidth);
    if (isSet("style")) {
        // Matched without regard to case; the style's own name is what the files carry.
        const std::optional<std::string_view> style = FindStyle(value("style").toStdString());
        if (!style)
            throw UsageError(QStringLiteral("--style: '%1' is not a style; the styles are: %2")
                                 .arg(value("style"), StyleTexts().join(", "))
                                 .toStdString());
        o.style = QString::fromLatin1(style->data(), qsizetype(style->size()));
    }
    if (isSet("dither")) {
        QString kind = value("dither");
        auto it = std::find_if(std::begin(DitherNames), std::end(DitherNames),
                               [&kind](const DitherName& d) { return kind == QLatin1String(d.name); });
        if (it == std::end(DitherNames))
            throw UsageError(QStringLiteral("--dither: '%1' is not a dither method").arg(kind).toStdString());
        o.dither = it->kind;
    }
    o.paletteCodes = ParsePalette(isSet("palette") ? value("palette") : QStringLiteral("default"));
    struct ToneField
    {
        const char* name;
        int* field;
        int low, high;
    } tone[] = {
        {"brightness", &o.tone.brightness, -255, 255}, {"contrast", &o.tone.contrast, -255, 255},
        {"saturation", &o.tone.saturation, -255, 255}, {"darkness", &o.tone.darkness, -255, 255},
        {"lightness", &o.tone.lightness, -255, 255},   {"splitlight", &o.tone.splitlight, 0, 10},
    };
    for (const ToneField& t : tone)
        if (isSet(t.name))
            *t.field = ParseRange(QString::fromLatin1(t.name), value(t.name), t.low, t.high);
    o.tone.grayscale = isSet("grayscale");
    o.tone.invert = isSet("invert");
    if (isSet("parts"))
        o.parts = ParseParts(value("parts"));
    o.ldconfig = isSet("ldconfig") ? value("ldconfig") : appDir + QStringLiteral("/ldconfig.ldr");
    if (isSet("scale"))
        o.scale = ParseRange(QStringLiteral("scale"), value("scale"), 1, 8);
    o.blackGrid = isSet("black-grid");
    o.grayGrid = isSet("gray-grid");
    o.studGrid = isSet("stud-grid");
    o.quiet = isSet("quiet");
    o.studPng = value("stud-png");
    o.dithered = value("dithered");
    o.adjusted = value("adjusted");
    o.mosaic = value("mosaic");
    o.png16 = value("png16");
    o.ldraw = value("ldraw");
    o.map = value("map");
    if (isSet("panel-size")) {
        o.panelSize = value("panel-size");
        static const QStringList sizes = {QStringLiteral("6x6"), QStringLiteral("8x8"), QStringLiteral("32x32"),
                                          QStringLiteral("48x48")};
        if (!sizes.contains(o.panelSize))
            throw UsageError(QStringLiteral("--panel-size: '%1' is not a panel size; the sizes are: %2")
                                 .arg(o.panelSize, sizes.join(QStringLiteral(", ")))
                                 .toStdString());
    }
    return o;
}

QString HelpText()
{
    QString text = QStringLiteral("Usage: tesselka-cli convert PICTURE [options]\n"
                                  "       tesselka-cli --help | --version\n\n"
                                  "Loads PICTURE, applies the tone settings, dithers it to the palette, scales it to\n"
                                  "the mosaic grid and writes the outputs asked for.\n\nOptions of convert:\n");
    for (const OptionDef& option : ConvertOptionTable()) {
        QString left = QStringLiteral("  --") + QString::fromLatin1(option.name);
        if (*option.valueName)
            left += QLatin1Char(' ') + QString::fromLatin1(option.valueName);
        text += left.leftJustified(24) + QLatin1Char(' ') + QString::fromUtf8(option.help) +
                QStringLiteral(" [default: ") + QString::fromUtf8(option.defaultValue) + QStringLiteral("]\n");
    }
    text +=
        QStringLiteral("\nExit status: 0 on success, 1 when a file cannot be read or written, 2 for a usage error.\n");
    return text;
}

} // namespace tesselka::cli
