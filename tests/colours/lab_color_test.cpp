#include "colours/lab_color.h"

#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tesselka {
namespace {

TEST(Ciede2000, PublishedPairsOfSharmaWuDalal)
{
    const std::string path = test::DataFile("ciede2000-sharma-2005.csv");
    std::ifstream file(path);
    ASSERT_TRUE(file) << path;
    std::string line;
    std::getline(file, line); // header
    int pairs = 0;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        int pair = 0;
        LabColor x, y;
        double expected = 0;
        char comma;
        in >> pair >> comma >> x.L >> comma >> x.a >> comma >> x.b >> comma >> y.L >> comma >> y.a >> comma >> y.b >>
            comma >> expected;
        ASSERT_TRUE(in) << line;
        EXPECT_NEAR(Ciede2000(x, y), expected, 0.00005) << "pair " << pair;
        EXPECT_NEAR(Ciede2000(y, x), expected, 0.00005) << "pair " << pair << " swapped";
        ++pairs;
    }
    EXPECT_EQ(pairs, 34);
}

TEST(SrgbToLab, PublishedValuesUnderD65)
{
    // The primaries as colour calculators give them for sRGB and D65 (e.g. Bruce
    // Lindbloom's); white and greys must be exactly neutral.
    struct Case
    {
        double r, g, b, L, a, bb;
    };
    const Case cases[] = {
        {255, 0, 0, 53.2408, 80.0925, 67.2032},   {0, 255, 0, 87.7347, -86.1827, 83.1793},
        {0, 0, 255, 32.2970, 79.1875, -107.8602}, {255, 255, 255, 100.0, 0.0, 0.0},
        {128, 128, 128, 53.5850, 0.0, 0.0},       {0, 0, 0, 0.0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        const LabColor lab = SrgbToLab(c.r, c.g, c.b);
        EXPECT_NEAR(lab.L, c.L, 0.00005) << c.r << " " << c.g << " " << c.b;
        EXPECT_NEAR(lab.a, c.a, 0.00005) << c.r << " " << c.g << " " << c.b;
        EXPECT_NEAR(lab.b, c.bb, 0.00005) << c.r << " " << c.g << " " << c.b;
    }
}

} // namespace
} // namespace tesselka
