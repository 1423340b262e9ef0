#include "cli/cli_options.h"

#include "colours/color_table.h"
#include "colours/palette.h"
#include "common/error.h"
#include "common/file_path.h"
#include "common/styles.h"
#include "image/grid_scale.h"
#include "ldraw/part_sizes.h"
#include "settings/ini_file.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <set>
#include <utility>

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

// The dither kinds of the window's radio buttons dm1 to dm7.
constexpr DitherKind RadioKinds[] = {DitherFloydSteinberg, DitherStucki, DitherSierra, DitherJarvisJudiceNinke,
                                     DitherStevensonArce,  DitherBurkes, DitherNearest};

// The boxes Default ticks, by LDraw code: red, yellow, green, blue, black, grey, white.
constexpr int DefaultPaletteCodes[] = {4, 14, 2, 1, 0, 7, 15};

const QStringList& PanelSizes()
{
    static const QStringList sizes = {QStringLiteral("6x6"), QStringLiteral("8x8"), QStringLiteral("32x32"),
                                      QStringLiteral("48x48")};
    return sizes;
}

const QString NamePlaceholder = QStringLiteral("{name}");

int ParseRange(const QString& option, const QString& text, int low, int high)
{
    bool ok = false;
    int value = text.toInt(&ok, 10);
    if (!ok || value < low || value > high)
        throw UsageError(QStringLiteral("%1: '%2' is not a whole number from %3 to %4")
                             .arg(option, text)
                             .arg(low)
                             .arg(high)
                             .toStdString());
    return value;
}

QString StyleOf(const QString& where, const QString& text)
{
    // Matched without regard to case; the style's own name is what the files carry.
    const std::optional<std::string_view> style = FindStyle(text.toStdString());
    if (!style)
        throw UsageError(QStringLiteral("%1: '%2' is not a style; the styles are: %3")
                             .arg(where, text, StyleTexts().join(QStringLiteral(", ")))
                             .toStdString());
    return QString::fromLatin1(style->data(), qsizetype(style->size()));
}

QString PanelSizeOf(const QString& where, const QString& text)
{
    if (!PanelSizes().contains(text))
        throw UsageError(QStringLiteral("%1: '%2' is not a panel size; the sizes are: %3")
                             .arg(where, text, PanelSizes().join(QStringLiteral(", ")))
                             .toStdString());
    return text;
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

// One section of a settings file, read as the window's storage reads it, but strictly:
// a value the control could not take names its key.
class SettingsSection
{
public:
    SettingsSection(const IniFile& ini, const QString& path, const char* section)
        : ini_(ini), path_(path), section_(section)
    {
    }

    std::optional<QString> Text(const std::string& component) const
    {
        std::optional<std::string> value = ini_.Read(section_, component + "_Text");
        if (!value)
            return std::nullopt;
        return QString::fromStdString(*value);
    }
    std::optional<bool> Checked(const std::string& component) const
    {
        const std::string key = component + "_Checked";
        std::optional<std::string> value = ini_.Read(section_, key);
        if (!value)
            return std::nullopt;
        const QString text = QString::fromStdString(*value);
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        throw UsageError(Where(key).toStdString() + ": '" + *value + "' is neither True nor False");
    }
    std::optional<int> Position(const std::string& component, int low, int high) const
    {
        const std::string key = component + "_Position";
        std::optional<std::string> value = ini_.Read(section_, key);
        if (!value)
            return std::nullopt;
        return ParseRange(Where(key), QString::fromStdString(*value), low, high);
    }
    QString Where(const std::string& key) const
    {
        return QStringLiteral("%1: [%2] %3").arg(path_, QLatin1String(section_), QString::fromStdString(key));
    }

private:
    const IniFile& ini_;
    QString path_;
    const char* section_;
};

} // namespace

const std::vector<OptionDef>& ConvertOptionTable()
{
    static const std::vector<OptionDef> options = {
        {"settings", "FILE", "none",
         "Take the defaults from a settings file the window wrote (Tesselka.ini); options given here win.", true},
        {"width", "N", "96", "Mosaic width in studs (1 to 4000).", false},
        {"style", "TEXT", "1x Plates - studs up",
         "Brick style, one of `list styles` (any case); load-ldraw takes the model's.", false},
        {"dither", "KIND", "stucki", "floyd, stucki, sierra, jarvis, stevenson, burkes or nearest.", false},
        {"match", "KIND", "rgb",
         "How a colour finds its palette colour: rgb (nearest in RGB) or perceptual (nearest to the eye, CIEDE2000).",
         false},
        {"palette", "COLOURS", "default", "default, all, or LDraw codes of palette colours: 4,14,2,...", true},
        {"brightness", "N", "0", "Brightness, -255 to 255.", false},
        {"contrast", "N", "0", "Contrast, -255 to 255.", false},
        {"saturation", "N", "0", "Saturation, -255 to 255.", false},
        {"darkness", "N", "0", "Darkness, -255 to 255.", false},
        {"lightness", "N", "0", "Lightness, -255 to 255.", false},
        {"splitlight", "N", "0", "Splitlight, 0 to 10.", false},
        {"grayscale", "", "off", "Turn the picture grey before dithering.", false},
        {"invert", "", "off", "Invert the picture's colours.", false},
        {"parts", "SIZES", "default", "Part sizes for LDraw: default (1-long only), all, or names: plate1x2,...", true},
        {"ldconfig", "FILE", "ldconfig.ldr beside the program, else in the installed data folder",
         "The LDraw colour table.", true},
        {"scale", "N", "1", "Scale of the rendered mosaic, 1 to 8.", true},
        {"black-grid", "", "off", "Rendered mosaic: black lines between different colours.", true},
        {"gray-grid", "", "off", "Rendered mosaic: grey lines between equal colours.", true},
        {"stud-grid", "", "off", "Rendered mosaic: red lines every 8 studs.", true},
        {"stud-png", "FILE", "none", "Write the mosaic at one pixel per stud (PNG).", true},
        {"dithered", "FILE", "none", "Write the full-size dithered picture (PNG).", false},
        {"adjusted", "FILE", "none", "Write the picture after the tone settings (PNG).", false},
        {"mosaic", "FILE", "none", "Write the rendered mosaic view (PNG).", true},
        {"png16", "FILE", "none", "Write the mosaic at 16 x 16 pixels per stud (PNG).", true},
        {"ldraw", "FILE", "none", "Write the LDraw model files of the style (FILE, FILE_1.ldr, ...).", true},
        {"map", "FILE", "none", "Write the build map: FILE_1-1.png per panel, FILE_total.png and FILE.txt.", true},
        {"panel-size", "SIZE", "48x48", "Panel size of the build map: 6x6, 8x8, 32x32 or 48x48.", true},
        {"map-black-grid", "", "off", "Build map: black lines between studs of different colour.", true},
        {"map-gray-grid", "", "off", "Build map: grey lines between studs of equal colour.", true},
        {"map-8-grid", "", "off", "Build map: red grid every 8 studs.", true},
        {"map-6-grid", "", "off", "Build map: red grid every 6 studs (wins over --map-8-grid).", true},
        {"map-no-numbers", "", "off", "Build map: no colour numbers in the stud squares.", true},
        {"map-all-numbers", "", "off", "Build map: a number in every stud square.", true},
        {"map-fill", "", "off", "Build map: stud squares filled with their colour.", true},
        {"map-black-numbers", "", "off", "Build map: all numbers black.", true},
        {"map-pdf", "FILE", "none", "Write the printed build map as PDF: a page per panel and the totals.", true},
        {"paper", "SIZE", "letter", "Page size of --map-pdf: letter or a4.", true},
        {"parts-list", "FILE", "none", "Write the model's parts list (CSV: Part,Color,Quantity,...).", true},
        {"wanted-list", "FILE", "none", "Write the model's parts as a BrickLink wanted list (XML).", true},
        {"extra-lists", "", "off", "Also lists for the style's extra model files (FILE_1.csv, ...).", true},
        {"project", "FILE", "none",
         "Write a project (.tesselka) at the dithered stage: the picture, these settings and the grid, for the "
         "window's Open Project or another convert.",
         false},
        {"jobs", "N", "the number of cores", "Convert N pictures at once (also -j N).", false},
        {"quiet", "", "off", "No progress on standard error.", true},
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

void ApplySettingsFile(const QString& path, ConvertOptions& o)
{
    if (!QFileInfo(path).isFile())
        throw Error(QStringLiteral("%1: %2")
                        .arg(path, QFileInfo::exists(path) ? QStringLiteral("not a settings file")
                                                           : QStringLiteral("File not found"))
                        .toStdString());
    IniFile ini;
    try {
        ini = IniFile::Load(FilePath(path));
    } catch (const std::exception& e) {
        throw Error(QStringLiteral("%1: %2").arg(path, QString::fromUtf8(e.what())).toStdString());
    }
    ApplySettings(ini, path, o);
}

void ApplySettings(const IniFile& ini, const QString& path, ConvertOptions& o)
{
    const SettingsSection main(ini, path, "TForm1");
    if (std::optional<QString> width = main.Text("Edit2"))
        o.width = ParseRange(main.Where("Edit2_Text"), *width, 1, MaxMosaicWidth);
    if (std::optional<QString> style = main.Text("ComboBox1"))
        o.style = StyleOf(main.Where("ComboBox1_Text"), *style);
    o.paletteCodes.clear();
    for (const PaletteEntry& entry : PaletteEntries)
        if (main.Checked("CheckBox" + std::to_string(entry.checkBox)).value_or(entry.checkedAtStart))
            o.paletteCodes.push_back(entry.code);
    // The radio buttons are restored in order; the last one ticked is the one left ticked.
    for (size_t i = 0; i < std::size(RadioKinds); ++i)
        if (main.Checked("dm" + std::to_string(i + 1)).value_or(false))
            o.dither = RadioKinds[i];
    if (std::optional<QString> matching = main.Text("MatchBox")) {
        if (*matching != QLatin1String("RGB") && *matching != QLatin1String("Perceptual"))
            throw UsageError(main.Where("MatchBox_Text").toStdString() + ": '" + matching->toStdString() +
                             "' is neither RGB nor Perceptual");
        o.matching = *matching == QLatin1String("Perceptual") ? MatchPerceptual : MatchRgb;
    }
    struct Slider
    {
        const char* name;
        int* field;
        int low, high;
    } sliders[] = {
        {"Brightness", &o.tone.brightness, -255, 255},
        {"Contrast", &o.tone.contrast, -255, 255},
        {"Saturation", &o.tone.saturation, -255, 255},
        {"Darkness", &o.tone.darkness, -255, 255},
        {"Lightness", &o.tone.lightness, -255, 255},
        {"Splitlight", &o.tone.splitlight, 0, 10},
        {"sbScale", &o.scale, 1, 8},
    };
    for (const Slider& s : sliders)
        if (std::optional<int> value = main.Position(s.name, s.low, s.high))
            *s.field = *value;
    o.tone.grayscale = main.Checked("GrayScale").value_or(o.tone.grayscale);
    o.tone.invert = main.Checked("Invert").value_or(o.tone.invert);
    o.blackGrid = main.Checked("CheckBox42").value_or(o.blackGrid);
    o.grayGrid = main.Checked("CheckBox43").value_or(o.grayGrid);
    o.studGrid = main.Checked("CheckBox44").value_or(o.studGrid);

    const SettingsSection map(ini, path, "TForm2");
    if (std::optional<QString> size = map.Text("ComboBox2"))
        o.panelSize = PanelSizeOf(map.Where("ComboBox2_Text"), *size);
    MapOptions& m = o.mapOptions;
    m.blackGrid = map.Checked("CheckBox42").value_or(m.blackGrid);
    m.grayGrid = map.Checked("CheckBox43").value_or(m.grayGrid);
    m.grid8 = map.Checked("CheckBox44").value_or(m.grid8);
    m.numbersInAll = map.Checked("CheckBox1").value_or(m.numbersInAll);
    m.fillColor = map.Checked("CheckBox2").value_or(m.fillColor);
    m.allNumbersBlack = map.Checked("CheckBox3").value_or(m.allNumbersBlack);
    m.noNumbers = map.Checked("CheckBox4").value_or(m.noNumbers);
    m.grid6 = map.Checked("CheckBox5").value_or(m.grid6);

    const SettingsSection parts(ini, path, "TForm3");
    std::vector<std::string> allowed;
    for (const PartBoxInfo& info : PartBoxes) {
        const bool kept = std::find(o.parts.begin(), o.parts.end(), info.name) != o.parts.end();
        if (!info.alwaysOn && parts.Checked(info.name).value_or(kept))
            allowed.emplace_back(info.name);
    }
    o.parts = std::move(allowed);
}

std::string WindowSettingsText(const ConvertOptions& o, std::string_view base)
{
    // The keys ApplySettings reads, in the values the windows' controls take.
    IniFile ini(base);
    const auto check = [&ini](const char* section, const std::string& component, bool on) {
        ini.Write(section, component + "_Checked", on ? "True" : "False");
    };
    ini.Write("TForm1", "Edit2_Text", std::to_string(o.width));
    ini.Write("TForm1", "ComboBox1_Text", o.style.toStdString());
    for (const PaletteEntry& entry : PaletteEntries)
        check("TForm1", "CheckBox" + std::to_string(entry.checkBox),
              std::find(o.paletteCodes.begin(), o.paletteCodes.end(), entry.code) != o.paletteCodes.end());
    for (size_t i = 0; i < std::size(RadioKinds); ++i)
        check("TForm1", "dm" + std::to_string(i + 1), RadioKinds[i] == o.dither);
    ini.Write("TForm1", "MatchBox_Text", o.matching == MatchPerceptual ? "Perceptual" : "RGB");
    const std::pair<const char*, int> positions[] = {
        {"Brightness", o.tone.brightness},
        {"Contrast", o.tone.contrast},
        {"Saturation", o.tone.saturation},
        {"Darkness", o.tone.darkness},
        {"Lightness", o.tone.lightness},
        {"Splitlight", o.tone.splitlight},
        {"sbScale", o.scale},
    };
    for (const auto& [name, value] : positions)
        ini.Write("TForm1", std::string(name) + "_Position", std::to_string(value));
    check("TForm1", "GrayScale", o.tone.grayscale);
    check("TForm1", "Invert", o.tone.invert);
    check("TForm1", "CheckBox42", o.blackGrid);
    check("TForm1", "CheckBox43", o.grayGrid);
    check("TForm1", "CheckBox44", o.studGrid);

    ini.Write("TForm2", "ComboBox2_Text", o.panelSize.toStdString());
    const MapOptions& m = o.mapOptions;
    const std::pair<const char*, bool> ticks[] = {
        {"CheckBox42", m.blackGrid},   {"CheckBox43", m.grayGrid}, {"CheckBox44", m.grid8},
        {"CheckBox1", m.numbersInAll}, {"CheckBox2", m.fillColor}, {"CheckBox3", m.allNumbersBlack},
        {"CheckBox4", m.noNumbers},    {"CheckBox5", m.grid6},
    };
    for (const auto& [name, on] : ticks)
        check("TForm2", name, on);

    for (const PartBoxInfo& info : PartBoxes)
        check("TForm3", info.name,
              info.alwaysOn || std::find(o.parts.begin(), o.parts.end(), info.name) != o.parts.end());
    return ini.Text();
}

ConvertOptions ParseOptions(Command command, const QStringList& arguments, const QString& appDir,
                            const QString& projectPath, std::string_view projectSettings)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionDef& option : ConvertOptionTable()) {
        if (command == Command::LoadLdraw && !option.loadLdraw)
            continue;
        QStringList names{QString::fromLatin1(option.name)};
        if (names.first() == QLatin1String("jobs"))
            names.prepend(QStringLiteral("j"));
        parser.addOption(
            QCommandLineOption(names, QString::fromUtf8(option.help), QString::fromLatin1(option.valueName)));
    }
    if (!parser.parse(QStringList{QStringLiteral("tesselka-cli")} + arguments))
        throw UsageError(parser.errorText().toStdString());

    ConvertOptions o;
    o.command = command;
    o.arguments = arguments;
    o.appDir = appDir;
    for (const OptionDef& option : ConvertOptionTable())
        if (!option.loadLdraw && qstrcmp(option.name, "jobs") != 0 && parser.isSet(QString::fromLatin1(option.name)))
            o.pictureOptions << QStringLiteral("--") + QString::fromLatin1(option.name);
    o.inputs = parser.positionalArguments();
    if (command == Command::LoadLdraw && o.inputs.size() != 1)
        throw UsageError("load-ldraw takes exactly one model file");
    if (o.inputs.isEmpty())
        throw UsageError("convert takes one or more picture files");
    o.picture = o.inputs.first();
    auto value = [&parser](const char* name) { return parser.value(QString::fromLatin1(name)); };
    auto isSet = [&parser](const char* name) { return parser.isSet(QString::fromLatin1(name)); };

    // The settings file gives the defaults; every option given below replaces its value.
    o.paletteCodes = ParsePalette(QStringLiteral("default"));
    if (isSet("settings"))
        ApplySettingsFile(value("settings"), o);
    if (!projectPath.isEmpty())
        ApplySettings(IniFile(projectSettings), projectPath, o);

    if (isSet("width"))
        o.width = ParseRange(QStringLiteral("--width"), value("width"), 1, MaxMosaicWidth);
    if (isSet("style"))
        o.style = StyleOf(QStringLiteral("--style"), value("style"));
    if (isSet("dither")) {
        QString kind = value("dither");
        auto it = std::find_if(std::begin(DitherNames), std::end(DitherNames),
                               [&kind](const DitherName& d) { return kind == QLatin1String(d.name); });
        if (it == std::end(DitherNames))
            throw UsageError(QStringLiteral("--dither: '%1' is not a dither method").arg(kind).toStdString());
        o.dither = it->kind;
    }
    if (isSet("match")) {
        const QString matching = value("match");
        if (matching == QLatin1String("rgb"))
            o.matching = MatchRgb;
        else if (matching == QLatin1String("perceptual"))
            o.matching = MatchPerceptual;
        else
            throw UsageError(QStringLiteral("--match: '%1' is not rgb or perceptual").arg(matching).toStdString());
    }
    if (isSet("palette"))
        o.paletteCodes = ParsePalette(value("palette"));
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
            *t.field = ParseRange(QStringLiteral("--") + QLatin1String(t.name), value(t.name), t.low, t.high);
    o.tone.grayscale = o.tone.grayscale || isSet("grayscale");
    o.tone.invert = o.tone.invert || isSet("invert");
    if (isSet("parts"))
        o.parts = ParseParts(value("parts"));
    o.ldconfigGiven = isSet("ldconfig");
    if (o.ldconfigGiven) {
        o.ldconfig = value("ldconfig");
    } else {
        const std::string dir = FilePath(appDir);
        std::optional<std::string> found = FindColorTable(dir);
        for (const std::string& place : ColorTablePlaces(dir))
            o.ldconfigPlaces << QFile::decodeName(QByteArray::fromStdString(place));
        o.ldconfig = found ? QFile::decodeName(QByteArray::fromStdString(*found)) : o.ldconfigPlaces.first();
    }
    if (isSet("scale"))
        o.scale = ParseRange(QStringLiteral("--scale"), value("scale"), 1, 8);
    o.blackGrid = o.blackGrid || isSet("black-grid");
    o.grayGrid = o.grayGrid || isSet("gray-grid");
    o.studGrid = o.studGrid || isSet("stud-grid");
    o.quiet = isSet("quiet");
    o.studPng = value("stud-png");
    o.dithered = value("dithered");
    o.adjusted = value("adjusted");
    o.mosaic = value("mosaic");
    o.png16 = value("png16");
    o.ldraw = value("ldraw");
    o.map = value("map");
    if (isSet("panel-size"))
        o.panelSize = PanelSizeOf(QStringLiteral("--panel-size"), value("panel-size"));
    if (isSet("jobs"))
        o.jobs = ParseRange(QStringLiteral("--jobs"), value("jobs"), 1, 1024);

    struct MapSwitch
    {
        const char* name;
        bool MapOptions::*field;
    } mapSwitches[] = {
        {"map-black-grid", &MapOptions::blackGrid}, {"map-gray-grid", &MapOptions::grayGrid},
        {"map-8-grid", &MapOptions::grid8},         {"map-6-grid", &MapOptions::grid6},
        {"map-no-numbers", &MapOptions::noNumbers}, {"map-all-numbers", &MapOptions::numbersInAll},
        {"map-fill", &MapOptions::fillColor},       {"map-black-numbers", &MapOptions::allNumbersBlack},
    };
    // A switch ticks its box; without it the box keeps what a settings file gave.
    for (const MapSwitch& option : mapSwitches)
        if (isSet(option.name))
            o.mapOptions.*option.field = true;
    o.mapPdf = value("map-pdf");
    if (isSet("paper")) {
        const QString paper = value("paper").toLower();
        if (paper != QLatin1String("letter") && paper != QLatin1String("a4"))
            throw UsageError(QStringLiteral("--paper: '%1' is not a paper size; the sizes are: letter, a4")
                                 .arg(value("paper"))
                                 .toStdString());
        o.a4 = paper == QLatin1String("a4");
    }
    o.partsList = value("parts-list");
    o.wantedList = value("wanted-list");
    o.extraLists = isSet("extra-lists");
    o.project = value("project");

    // Found here, before a picture is read or a file written. (A model names its own style.)
    if (command == Command::Convert && !StyleHasModel(o.style.toStdString()))
        for (const auto& [option, file] : {std::pair{"--ldraw", &o.ldraw}, std::pair{"--parts-list", &o.partsList},
                                           std::pair{"--wanted-list", &o.wantedList}})
            if (!file->isEmpty())
                throw UsageError(QStringLiteral("%1: the style \"%2\" has no LDraw model")
                                     .arg(QLatin1String(option), o.style)
                                     .toStdString());

    if (o.inputs.size() > 1) {
        // Several pictures would write over each other's files without their own names.
        const std::vector<QString*> outputs = o.Outputs();
        for (size_t i = 0; i < outputs.size(); ++i)
            if (!outputs[i]->isEmpty() && !outputs[i]->contains(NamePlaceholder))
                throw UsageError(QStringLiteral("with several pictures every output name needs {name} (not '%1')")
                                     .arg(*outputs[i])
                                     .toStdString());
        std::set<QString> names;
        for (const QString& input : o.inputs)
            if (!names.insert(QFileInfo(input).completeBaseName()).second)
                throw UsageError(QStringLiteral("two pictures are named '%1'; their files would overwrite each other")
                                     .arg(QFileInfo(input).completeBaseName())
                                     .toStdString());
    }
    return o;
}

ConvertOptions ParseConvertOptions(const QStringList& arguments, const QString& appDir)
{
    return ParseOptions(Command::Convert, arguments, appDir);
}

ConvertOptions ForInput(const ConvertOptions& options, const QString& input)
{
    ConvertOptions o = options;
    o.picture = input;
    const QString name = QFileInfo(input).completeBaseName();
    for (QString* output : o.Outputs())
        output->replace(NamePlaceholder, name);
    return o;
}

QString ListText(const QString& what, const QString& ldconfig)
{
    QString text;
    if (what == QLatin1String("styles")) {
        for (const QString& style : StyleTexts())
            text += style + QLatin1Char('\n');
    } else if (what == QLatin1String("colours") || what == QLatin1String("colors")) {
        // Names and values as the window shows them: from the colour table when it reads.
        ColorTable table;
        bool read = false;
        try {
            std::optional<ColorTableReadResult> result = LoadColorTableFile(FilePath(ldconfig), table);
            read = result && !result->error;
        } catch (const std::exception&) {
        }
        for (const PaletteEntry& entry : PaletteEntries) {
            const TColor color = PanelColor(entry, table, read);
            const QString name =
                read ? QString::fromStdString(table[table.PanelSlotForCode(entry.code)].Name) : QStringLiteral("-");
            text += QStringLiteral("%1\t%2\t%3\t%4\n")
                        .arg(entry.code)
                        .arg(name, QString::asprintf("#%02X%02X%02X", RedOf(color), GreenOf(color), BlueOf(color)),
                             entry.checkedAtStart ? QStringLiteral("ticked") : QStringLiteral("-"));
        }
    } else if (what == QLatin1String("parts")) {
        for (const PartBoxInfo& info : PartBoxes)
            text += QString::fromLatin1(info.name) + QLatin1Char('\t') + QString::fromLatin1(info.caption) +
                    (info.alwaysOn ? QStringLiteral("\talways") : QString()) + QLatin1Char('\n');
    } else {
        throw UsageError(QStringLiteral("list: '%1' is not one of styles, colours, parts").arg(what).toStdString());
    }
    return text;
}

QString HelpText()
{
    QString text =
        QStringLiteral("Usage: tesselka-cli convert PICTURE|PROJECT.tesselka... [options]\n"
                       "       tesselka-cli load-ldraw MODEL.ldr [options]\n"
                       "       tesselka-cli list styles|colours|parts\n"
                       "       tesselka-cli --help | --version\n\n"
                       "convert loads each PICTURE, applies the tone settings, dithers it to the palette, scales\n"
                       "it to the mosaic grid and writes the outputs asked for. With several pictures every\n"
                       "output name holds {name}, the picture's file name without its extension, as in\n"
                       "out/{name}.png. A project (.tesselka, from --project or the window's Save Project)\n"
                       "is read in place of a picture: its settings are the defaults, its grid and edits the\n"
                       "mosaic, without a new dither (a project saved before Dither Image is dithered).\n"
                       "load-ldraw reads a model this program wrote and writes the outputs of its grid.\n"
                       "list prints the style names, the palette (code, name, #RRGGBB, ticked at start) or the\n"
                       "part sizes that --style, --palette and --parts take.\n\n"
                       "Options (* convert of a picture only, or of a project saved before Dither Image):\n");
    for (const OptionDef& option : ConvertOptionTable()) {
        QString left = QStringLiteral("  --") + QString::fromLatin1(option.name);
        if (*option.valueName)
            left += QLatin1Char(' ') + QString::fromLatin1(option.valueName);
        text += left.leftJustified(24) + (option.loadLdraw ? QStringLiteral("   ") : QStringLiteral(" * ")) +
                QString::fromUtf8(option.help) + QStringLiteral(" [default: ") +
                QString::fromUtf8(option.defaultValue) + QStringLiteral("]\n");
    }
    text += QStringLiteral("\nExit status: 0 on success, 1 when a file cannot be read or written (with several\n"
                           "pictures: when any of them failed), 2 for a usage error.\n");
    return text;
}

} // namespace tesselka::cli
