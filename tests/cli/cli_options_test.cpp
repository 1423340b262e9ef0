#include "cli/cli_options.h"
#include "common/error.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tesselka;
using namespace tesselka::cli;

namespace {

ConvertOptions Parse(QStringList args)
{
    return ParseConvertOptions(args, QStringLiteral("/opt/tesselka"));
}

std::string UsageMessage(QStringList args)
{
    try {
        Parse(args);
    } catch (const UsageError& e) {
        return e.what();
    }
    return "accepted";
}

} // namespace

TEST(CliOptions, DefaultsEqualTheWindowsControls)
{
    ConvertOptions o = Parse({QStringLiteral("in.jpg")});
    EXPECT_EQ(o.picture, QStringLiteral("in.jpg"));
    EXPECT_EQ(o.width, 96);
    EXPECT_EQ(o.style, QStringLiteral("1x Plates - studs up"));
    EXPECT_EQ(o.dither, DitherStucki);
    EXPECT_EQ(o.matching, MatchRgb);
    EXPECT_EQ(o.paletteCodes, (std::vector<int>{4, 14, 2, 1, 0, 7, 15}));
    EXPECT_EQ(o.tone.brightness, 0);
    EXPECT_FALSE(o.tone.grayscale);
    EXPECT_TRUE(o.parts.empty());
    EXPECT_EQ(o.ldconfig, QStringLiteral("/opt/tesselka/ldconfig.ldr"));
    EXPECT_EQ(o.scale, 1);
    EXPECT_FALSE(o.blackGrid || o.grayGrid || o.studGrid || o.quiet);
    EXPECT_TRUE(o.studPng.isEmpty() && o.ldraw.isEmpty() && o.mosaic.isEmpty());
}

TEST(CliOptions, ReadsEveryKindOfValue)
{
    ConvertOptions o = Parse({QStringLiteral("--width"),
                              QStringLiteral("120"),
                              QStringLiteral("--style"),
                              QStringLiteral("2x Bricks - studs out"),
                              QStringLiteral("--dither=floyd"),
                              QStringLiteral("--match=perceptual"),
                              QStringLiteral("--palette"),
                              QStringLiteral("15,4, 288"),
                              QStringLiteral("--contrast"),
                              QStringLiteral("-40"),
                              QStringLiteral("--splitlight"),
                              QStringLiteral("10"),
                              QStringLiteral("--grayscale"),
                              QStringLiteral("--parts"),
                              QStringLiteral("plate1x2,brick2x4"),
                              QStringLiteral("--scale"),
                              QStringLiteral("8"),
                              QStringLiteral("--stud-grid"),
                              QStringLiteral("--ldraw"),
                              QStringLiteral("out.ldr"),
                              QStringLiteral("pic.png")});
    EXPECT_EQ(o.width, 120);
    EXPECT_EQ(o.style, QStringLiteral("2x Bricks - studs out"));
    EXPECT_EQ(o.dither, DitherFloydSteinberg);
    EXPECT_EQ(o.matching, MatchPerceptual);
    EXPECT_EQ(o.paletteCodes, (std::vector<int>{15, 4, 288}));
    EXPECT_EQ(o.tone.contrast, -40);
    EXPECT_EQ(o.tone.splitlight, 10);
    EXPECT_TRUE(o.tone.grayscale);
    EXPECT_EQ(o.parts, (std::vector<std::string>{"plate1x2", "brick2x4"}));
    EXPECT_EQ(o.scale, 8);
    EXPECT_TRUE(o.studGrid);
    EXPECT_EQ(o.ldraw, QStringLiteral("out.ldr"));
    EXPECT_EQ(Parse({QStringLiteral("--palette"), QStringLiteral("all"), QStringLiteral("x")}).paletteCodes.size(),
              41u);
    EXPECT_EQ(Parse({QStringLiteral("--parts"), QStringLiteral("all"), QStringLiteral("x")}).parts.size(), 39u);
    // Style names are matched without regard to case and stored as the list names them.
    EXPECT_EQ(Parse({QStringLiteral("--style"), QStringLiteral("1X PLATES - stud MIX"), QStringLiteral("x")}).style,
              QStringLiteral("1x Plates - stud mix"));
}

TEST(CliOptions, MapSwitchesSetTheDialogsTicksOneEach)
{
    EXPECT_EQ(Parse({QStringLiteral("x")}).mapOptions, MapOptions{}); // all off, as the dialog
    const std::pair<const char*, bool MapOptions::*> switches[] = {
        {"--map-black-grid", &MapOptions::blackGrid}, {"--map-gray-grid", &MapOptions::grayGrid},
        {"--map-8-grid", &MapOptions::grid8},         {"--map-6-grid", &MapOptions::grid6},
        {"--map-no-numbers", &MapOptions::noNumbers}, {"--map-all-numbers", &MapOptions::numbersInAll},
        {"--map-fill", &MapOptions::fillColor},       {"--map-black-numbers", &MapOptions::allNumbersBlack},
    };
    for (const auto& [name, field] : switches) {
        MapOptions expected;
        expected.*field = true;
        EXPECT_EQ(Parse({QString::fromLatin1(name), QStringLiteral("x")}).mapOptions, expected) << name;
    }
    const ConvertOptions o =
        Parse({QStringLiteral("--map-pdf=m.pdf"), QStringLiteral("--paper=A4"), QStringLiteral("--parts-list=p.csv"),
               QStringLiteral("--wanted-list=w.xml"), QStringLiteral("--extra-lists"), QStringLiteral("x")});
    EXPECT_TRUE(o.a4 && o.extraLists);
    EXPECT_EQ(QStringList({o.mapPdf, o.partsList, o.wantedList}), QStringList({"m.pdf", "p.csv", "w.xml"}));
    EXPECT_FALSE(Parse({QStringLiteral("--paper=letter"), QStringLiteral("x")}).a4);
}

TEST(CliOptions, RefusesWhatItCannotUse)
{
    EXPECT_EQ(UsageMessage({QStringLiteral("--frobnicate"), QStringLiteral("x")}), "Unknown option 'frobnicate'.");
    EXPECT_EQ(UsageMessage({QStringLiteral("--width"), QStringLiteral("0"), QStringLiteral("x")}),
              "--width: '0' is not a whole number from 1 to 4000");
    EXPECT_EQ(UsageMessage({QStringLiteral("--width"), QStringLiteral("12a"), QStringLiteral("x")}),
              "--width: '12a' is not a whole number from 1 to 4000");
    EXPECT_EQ(UsageMessage({QStringLiteral("--width"), QStringLiteral("99999999"), QStringLiteral("x")}),
              "--width: '99999999' is not a whole number from 1 to 4000");
    EXPECT_EQ(UsageMessage({QStringLiteral("--brightness"), QStringLiteral("256"), QStringLiteral("x")}),
              "--brightness: '256' is not a whole number from -255 to 255");
    EXPECT_EQ(UsageMessage({QStringLiteral("--splitlight"), QStringLiteral("-1"), QStringLiteral("x")}),
              "--splitlight: '-1' is not a whole number from 0 to 10");
    EXPECT_EQ(UsageMessage({QStringLiteral("--scale"), QStringLiteral("9"), QStringLiteral("x")}),
              "--scale: '9' is not a whole number from 1 to 8");
    EXPECT_NE(UsageMessage({QStringLiteral("--style"), QStringLiteral("1x plates - studs"), QStringLiteral("x")})
                  .find("is not a style"),
              std::string::npos);
    EXPECT_EQ(UsageMessage({QStringLiteral("--dither"), QStringLiteral("atkinson"), QStringLiteral("x")}),
              "--dither: 'atkinson' is not a dither method");
    EXPECT_EQ(UsageMessage({QStringLiteral("--match"), QStringLiteral("lab"), QStringLiteral("x")}),
              "--match: 'lab' is not rgb or perceptual");
    EXPECT_EQ(UsageMessage({QStringLiteral("--palette"), QStringLiteral("4,999"), QStringLiteral("x")}),
              "--palette: '999' is not the LDraw code of a palette colour");
    EXPECT_EQ(UsageMessage({QStringLiteral("--parts"), QStringLiteral("plate3x3"), QStringLiteral("x")}),
              "--parts: 'plate3x3' is not a part size (for example plate1x2, brick2x4)");
    EXPECT_EQ(UsageMessage({QStringLiteral("--width")}), "Missing value after '--width'.");
    EXPECT_EQ(UsageMessage({QStringLiteral("--panel-size"), QStringLiteral("16x16"), QStringLiteral("x")}),
              "--panel-size: '16x16' is not a panel size; the sizes are: 6x6, 8x8, 32x32, 48x48");
    EXPECT_EQ(UsageMessage({QStringLiteral("--paper=legal"), QStringLiteral("x")}),
              "--paper: 'legal' is not a paper size; the sizes are: letter, a4");
}

TEST(CliOptions, HelpListsEveryOptionWithItsDefault)
{
    QString help = HelpText();
    for (const OptionDef& option : ConvertOptionTable()) {
        EXPECT_TRUE(help.contains(QStringLiteral("--") + QString::fromLatin1(option.name))) << option.name;
        EXPECT_TRUE(help.contains(QStringLiteral("[default: ") + QString::fromUtf8(option.defaultValue) + "]"))
            << option.name;
    }
}

TEST(CliOptions, SeveralPicturesNeedTheirOwnNames)
{
    ConvertOptions o = Parse({QStringLiteral("a/one.jpg"), QStringLiteral("b/two.x.png"), QStringLiteral("--stud-png"),
                              QStringLiteral("out/{name}.png"), QStringLiteral("--ldraw=m/{name}/{name}.ldr"),
                              QStringLiteral("-j"), QStringLiteral("3")});
    EXPECT_EQ(o.inputs, (QStringList{QStringLiteral("a/one.jpg"), QStringLiteral("b/two.x.png")}));
    EXPECT_EQ(o.jobs, 3);
    const ConvertOptions two = ForInput(o, o.inputs[1]);
    EXPECT_EQ(two.picture, QStringLiteral("b/two.x.png"));
    EXPECT_EQ(two.studPng, QStringLiteral("out/two.x.png"));
    EXPECT_EQ(two.ldraw, QStringLiteral("m/two.x/two.x.ldr"));
    EXPECT_TRUE(two.mosaic.isEmpty());
    EXPECT_EQ(Parse({QStringLiteral("x.jpg"), QStringLiteral("--jobs=2")}).jobs, 2);

    struct Refused
    {
        QStringList args;
        const char* message;
    } refused[] = {
        {{}, "convert takes one or more picture files"},
        {{QStringLiteral("a.jpg"), QStringLiteral("b.jpg"), QStringLiteral("--map"), QStringLiteral("map.png")},
         "with several pictures every output name needs {name} (not 'map.png')"},
        {{QStringLiteral("a/x.jpg"), QStringLiteral("b/x.png"), QStringLiteral("--png16=o/{name}.png")},
         "two pictures are named 'x'; their files would overwrite each other"},
        {{QStringLiteral("a.jpg"), QStringLiteral("-j"), QStringLiteral("0")},
         "--jobs: '0' is not a whole number from 1 to 1024"},
    };
    for (const Refused& r : refused)
        EXPECT_EQ(UsageMessage(r.args), r.message) << r.args.join(' ').toStdString();
    EXPECT_THROW(ParseOptions(Command::LoadLdraw, {QStringLiteral("a.ldr"), QStringLiteral("b.ldr")}, {}), UsageError);
    // Options of the picture's steps are not load-ldraw's.
    EXPECT_THROW(ParseOptions(Command::LoadLdraw, {QStringLiteral("a.ldr"), QStringLiteral("--contrast=3")}, {}),
                 UsageError);
}

TEST(CliOptions, SettingsFileGivesTheDefaultsAndTheCommandLineWins)
{
    QTemporaryDir dir;
    auto settings = [&dir](const char* text) {
        const QString path = dir.filePath(QStringLiteral("s.ini"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        return path;
    };
    const QString good =
        settings("[TForm1]\r\nEdit2_Text=40\r\nComboBox1_Text=2x bricks - STUDS OUT\r\n"
                 "CheckBox1_Checked=False\r\nCheckBox5_Checked=True\r\nContrast_Position=-30\r\n"
                 "Splitlight_Position=4\r\nsbScale_Position=3\r\nCheckBox43_Checked=True\r\n"
                 "dm2_Checked=False\r\ndm6_Checked=True\r\nMatchBox_Text=Perceptual\r\nNoSuchKey=whatever\r\n"
                 "[TForm2]\r\nComboBox2_Text=8x8\r\nCheckBox5_Checked=True\r\nCheckBox2_Checked=true\r\n"
                 "[TForm3]\r\nplate1x2_Checked=True\r\nbrick1x1_Checked=False\r\n");
    ConvertOptions o = Parse({QStringLiteral("--settings"), good, QStringLiteral("x.jpg")});
    EXPECT_EQ(o.width, 40);
    EXPECT_EQ(o.style, QStringLiteral("2x Bricks - studs out"));
    // CheckBox1 is red (4), CheckBox5 is 320; the others keep their start ticks.
    EXPECT_EQ(o.paletteCodes, (std::vector<int>{320, 14, 2, 1, 0, 7, 15}));
    EXPECT_EQ(o.tone.contrast, -30);
    EXPECT_EQ(o.tone.splitlight, 4);
    EXPECT_EQ(o.scale, 3);
    EXPECT_TRUE(o.grayGrid);
    EXPECT_FALSE(o.blackGrid);
    EXPECT_EQ(o.dither, DitherBurkes);
    EXPECT_EQ(o.matching, MatchPerceptual);
    EXPECT_EQ(o.panelSize, QStringLiteral("8x8"));
    EXPECT_TRUE(o.mapOptions.grid6 && o.mapOptions.fillColor);
    EXPECT_FALSE(o.mapOptions.blackGrid);
    EXPECT_EQ(o.parts, (std::vector<std::string>{"plate1x2"}));

    o = Parse({QStringLiteral("--settings"), good, QStringLiteral("x.jpg"), QStringLiteral("--width=12"),
               QStringLiteral("--palette=default"), QStringLiteral("--dither=floyd"), QStringLiteral("--contrast=5"),
               QStringLiteral("--panel-size=32x32"), QStringLiteral("--parts=default")});
    EXPECT_EQ(o.width, 12);
    EXPECT_EQ(o.paletteCodes, (std::vector<int>{4, 14, 2, 1, 0, 7, 15}));
    EXPECT_EQ(o.dither, DitherFloydSteinberg);
    EXPECT_EQ(o.tone.contrast, 5);
    EXPECT_EQ(o.tone.splitlight, 4);
    EXPECT_EQ(o.panelSize, QStringLiteral("32x32"));
    EXPECT_TRUE(o.parts.empty());

    struct Bad
    {
        const char* text;
        const char* message; // after "<file>: "
    } bad[] = {
        {"[TForm1]\nEdit2_Text=wide\n", "[TForm1] Edit2_Text: 'wide' is not a whole number from 1 to 4000"},
        {"[TForm1]\nComboBox1_Text=Duplo\n", "[TForm1] ComboBox1_Text: 'Duplo' is not a style"},
        {"[TForm1]\nCheckBox7_Checked=yes\n", "[TForm1] CheckBox7_Checked: 'yes' is neither True nor False"},
        {"[TForm1]\nMatchBox_Text=Lab\n", "[TForm1] MatchBox_Text: 'Lab' is neither RGB nor Perceptual"},
        {"[TForm1]\nBrightness_Position=300\n",
         "[TForm1] Brightness_Position: '300' is not a whole number from -255 to 255"},
        {"[TForm2]\nComboBox2_Text=16x16\n", "[TForm2] ComboBox2_Text: '16x16' is not a panel size"},
        {"[TForm3]\nplate2x2_Checked=1\n", "[TForm3] plate2x2_Checked: '1' is neither True nor False"},
    };
    for (const Bad& b : bad) {
        const QString path = settings(b.text);
        const std::string message = UsageMessage({QStringLiteral("--settings"), path, QStringLiteral("x.jpg")});
        EXPECT_EQ(message.rfind(path.toStdString() + ": " + b.message, 0), 0u) << message;
    }
    EXPECT_THROW(Parse({QStringLiteral("--settings"), dir.filePath(QStringLiteral("none.ini")), QStringLiteral("x")}),
                 Error);
}

TEST(CliOptions, ListsStylesColoursAndParts)
{
    const QStringList styles = ListText(QStringLiteral("styles"), {}).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(styles.size(), 9);
    EXPECT_EQ(styles.last(), QStringLiteral("1x Plates - stud mix"));
    const QStringList colours =
        ListText(QStringLiteral("colours"), QCoreApplication::applicationDirPath() + QStringLiteral("/ldconfig.ldr"))
            .split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(colours.size(), 41);
    const QStringList red = colours.first().split('\t');
    ASSERT_EQ(red.size(), 4);
    EXPECT_EQ(red[0], QStringLiteral("4"));
    EXPECT_FALSE(red[1].isEmpty());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^#[0-9A-F]{6}$")).match(red[2]).hasMatch()) << red[2].toStdString();
    EXPECT_EQ(red[3], QStringLiteral("ticked"));
    EXPECT_EQ(ListText(QStringLiteral("parts"), {}).count('\n'), 39);
    EXPECT_THROW(ListText(QStringLiteral("bricks"), {}), UsageError);
}
