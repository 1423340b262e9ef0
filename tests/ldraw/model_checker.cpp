#include "model_checker.h"

#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <vector>

namespace tesselka::test {

namespace {

// Real sizes, independent of the writer's tables: studs across, studs long, height in
// LDraw units. In its own frame a part's length runs along X, its width along Z, and its
// body from y = 0 down to its height (studs toward -Y).
struct PartShape
{
    int width, length, height;
};

const std::map<int, PartShape>& Shapes()
{
    static const std::map<int, PartShape> shapes = {
        {3024, {1, 1, 8}},  {3023, {1, 2, 8}},   {3623, {1, 3, 8}},   {3710, {1, 4, 8}},   {3666, {1, 6, 8}},
        {3460, {1, 8, 8}},  {4477, {1, 10, 8}},  {3022, {2, 2, 8}},   {3021, {2, 3, 8}},   {3020, {2, 4, 8}},
        {3795, {2, 6, 8}},  {3034, {2, 8, 8}},   {3832, {2, 10, 8}},  {2445, {2, 12, 8}},  {4282, {2, 16, 8}},
        {3031, {4, 4, 8}},  {3032, {4, 6, 8}},   {3035, {4, 8, 8}},   {3030, {4, 10, 8}},  {3029, {4, 12, 8}},
        {3005, {1, 1, 24}}, {3004, {1, 2, 24}},  {3622, {1, 3, 24}},  {3010, {1, 4, 24}},  {3009, {1, 6, 24}},
        {3008, {1, 8, 24}}, {6111, {1, 10, 24}}, {6112, {1, 12, 24}}, {2465, {1, 16, 24}}, {3003, {2, 2, 24}},
        {3002, {2, 3, 24}}, {3001, {2, 4, 24}},  {2456, {2, 6, 24}},  {3007, {2, 8, 24}},  {3006, {2, 10, 24}},
    };
    return shapes;
}

struct Range
{
    int lo, hi;
};

struct WallFrame
{
    int pitch;     // LDraw units per stud row
    int rowOffset; // Y of the top edge of row 0
    Range depth;   // X extent of the wall
    int slices;    // depth slices a part may fill on its own
};

WallFrame FrameOf(const std::string& style)
{
    const bool out = style.ends_with("studs out");
    const bool twoDeep = style.starts_with("2x");
    const bool bricks = style.find("Bricks") != std::string::npos;
    WallFrame f{};
    if (out) {
        f.pitch = twoDeep ? 40 : 20;
        f.rowOffset = -f.pitch / 2; // a row is the width of a part lying with studs out
        f.depth = {0, bricks ? 24 : 8};
        f.slices = 1;
    } else {
        f.pitch = bricks ? 24 : 8;
        f.rowOffset = 0;
        f.depth = twoDeep ? Range{-20, 20} : Range{-10, 10};
        f.slices = twoDeep && bricks ? 2 : 1;
    }
    return f;
}

bool SplitCell(int lo, int hi, int origin, int size, int& first, int& end)
{
    if ((lo - origin) % size != 0 || (hi - origin) % size != 0 || lo - origin < 0)
        return false;
    first = (lo - origin) / size;
    end = (hi - origin) / size;
    return end > first;
}

} // namespace

ModelCheck CheckModel(const std::string& fileText, const std::string& style, const Bitmap32& studImage,
                      const ColorTable& table, int fallbackCode)
{
    ModelCheck result;
    const WallFrame frame = FrameOf(style);
    const int w = studImage.Width();
    const int h = studImage.Height();
    std::vector<uint8_t> filled(size_t(w) * size_t(h) * size_t(frame.slices), 0);
    auto fail = [&](const QString& line, const std::string& why) {
        result.problem = why + " in line \"" + line.toStdString() + "\"";
        return result;
    };

    const QStringList lines = QString::fromStdString(fileText).split(QStringLiteral("\r\n"));
    int steps = 0;
    for (const QString& line : lines) {
        if (line == QStringLiteral("0 STEP")) {
            ++steps;
            continue;
        }
        if (!line.startsWith(QStringLiteral("1 ")))
            continue;
        const QStringList f = line.split(QLatin1Char(' '));
        if (f.size() != 15 || !f[14].endsWith(QStringLiteral(".DAT")))
            return fail(line, "malformed part line");
        std::array<int, 13> v{};
        for (int i = 0; i < 13; ++i) {
            bool ok = false;
            v[size_t(i)] = f[i + 1].toInt(&ok);
            if (!ok)
                return fail(line, "not a number");
        }
        const int partNumber = f[14].chopped(4).toInt();
        auto shape = Shapes().find(partNumber);
        if (shape == Shapes().end())
            return fail(line, "unknown part");
        ++result.parts;

        // Transform the part's box: each global axis takes exactly one local axis.
        const Range local[3] = {{-10 * shape->second.length, 10 * shape->second.length},
                                {0, shape->second.height},
                                {-10 * shape->second.width, 10 * shape->second.width}};
        Range global[3];
        for (int i = 0; i < 3; ++i) {
            int nonZero = 0;
            global[i] = {v[size_t(1 + i)], v[size_t(1 + i)]};
            for (int j = 0; j < 3; ++j) {
                const int m = v[size_t(4 + 3 * i + j)];
                if (m == 0)
                    continue;
                if (m != 1 && m != -1)
                    return fail(line, "matrix is not a rotation");
                ++nonZero;
                global[i].lo += m > 0 ? local[j].lo : -local[j].hi;
                global[i].hi += m > 0 ? local[j].hi : -local[j].lo;
            }
            if (nonZero != 1)
                return fail(line, "matrix is not a rotation");
        }

        int s0 = 0, s1 = 1;
        if (frame.slices == 1) {
            if (global[0].lo != frame.depth.lo || global[0].hi != frame.depth.hi)
                return fail(line, "part does not fill the wall's depth");
        } else if (!SplitCell(global[0].lo, global[0].hi, frame.depth.lo, 20, s0, s1) || s1 > frame.slices) {
            return fail(line, "part sticks out of the wall");
        }
        int r0 = 0, r1 = 0, c0 = 0, c1 = 0;
        if (!SplitCell(global[1].lo, global[1].hi, frame.rowOffset, frame.pitch, r0, r1) || r1 > h)
            return fail(line, "part is not on stud rows");
        // Column c spans z from -20c - 10 to -20c + 10.
        if (!SplitCell(-global[2].hi, -global[2].lo, -10, 20, c0, c1) || c1 > w)
            return fail(line, "part is not on stud columns");
        // Rows are written bottom up, one step each, so the part's top row names its step.
        if (r0 != h - 1 - steps)
            return fail(line, "part written in the wrong step");

        const bool showsFront = s0 == 0;
        for (int r = r0; r < r1; ++r) {
            for (int c = c0; c < c1; ++c) {
                if (showsFront) {
                    const TColor color = WinColor(studImage.Pixel(c, r));
                    const int slot = table.SlotForColorOnPanel(color, -1);
                    const int expected = slot >= 0 ? table[slot].Code : fallbackCode;
                    if (v[0] != expected)
                        return fail(line, "part colour differs from the picture at row " + std::to_string(r) +
                                              " column " + std::to_string(c));
                }
                for (int s = s0; s < s1; ++s) {
                    uint8_t& cell = filled[(size_t(s) * size_t(h) + size_t(r)) * size_t(w) + size_t(c)];
                    if (++cell > 1)
                        return fail(line, "parts overlap at row " + std::to_string(r) + " column " + std::to_string(c));
                }
            }
        }
    }
    if (steps != h) {
        result.problem = "expected " + std::to_string(h) + " steps, found " + std::to_string(steps);
        return result;
    }
    for (size_t i = 0; i < filled.size(); ++i) {
        if (filled[i] == 0) {
            const size_t cell = i % (size_t(w) * size_t(h));
            result.problem = "stud cell at row " + std::to_string(cell / size_t(w)) + " column " +
                             std::to_string(cell % size_t(w)) + " is not covered";
            return result;
        }
    }
    return result;
}

} // namespace tesselka::test
