#include "cli/cli_options.h"

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

TEST(CliOptions, RefusesWhatItCannotUse)
{
    EXPECT_EQ(UsageMessage({QStringLiteral("--frobnicate"), QStringLiteral("x")}), "Unknown option 'frobnicate'.");
    EXPECT_EQ(UsageMessage({}), "convert takes exactly one picture file");
    EXPECT_EQ(UsageMessage({QStringLiteral("a.png"), QStringLiteral("b.png")}),
              "convert takes exactly one picture file");
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
    EXPECT_EQ(UsageMessage({QStringLiteral("--palette"), QStringLiteral("4,999"), QStringLiteral("x")}),
              "--palette: '999' is not the LDraw code of a palette colour");
    EXPECT_EQ(UsageMessage({QStringLiteral("--parts"), QStringLiteral("plate3x3"), QStringLiteral("x")}),
              "--parts: 'plate3x3' is not a part size (for example plate1x2, brick2x4)");
    EXPECT_EQ(UsageMessage({QStringLiteral("--width")}), "Missing value after '--width'.");
    EXPECT_EQ(UsageMessage({QStringLiteral("--panel-size"), QStringLiteral("16x16"), QStringLiteral("x")}),
              "--panel-size: '16x16' is not a panel size; the sizes are: 6x6, 8x8, 32x32, 48x48");
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
