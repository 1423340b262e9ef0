#include "ldraw/model_reader.h"

#include "common/error.h"
#include "common/styles.h"
#include "common/text.h"
#include "image/grid_scale.h"

#include <algorithm>
#include <cstring>

namespace tesselka {

namespace {

// A picture side read from a model: checked before anything is allocated, as the file
// may come from anywhere. `limit` is the largest side this program writes there.
int PictureSide(const std::string& text, const char* what, int limit = Bitmap32::MaxSide)
{
    const int value = StrToInt(text);
    if (value < 0 || value > limit)
        throw Error(std::string("The model's ") + what + " (" + text + ") is not a picture size");
    return value;
}

// The program writes lines of a few dozen characters (the longest holds a file name); a
// longer one is not from a model of ours, and reading it whole could take gigabytes.
constexpr std::streamsize MaxLineLength = 8192;

// New size, keeping the pixels both sizes share; new pixels are black.
void Resize(Bitmap32& bitmap, int width, int height)
{
    if (!Bitmap32::SizeAllowed(width, height))
        throw Error("The model's picture of " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels is too large");
    if (bitmap.Width() == width && bitmap.Height() == height)
        return;
    Bitmap32 resized(width, height);
    resized.Clear(clBlack32);
    resized.Draw(0, 0, bitmap);
    resized.font = bitmap.font;
    bitmap = std::move(resized);
}

// The original picture's size from the header lines ahead, the stream left where it was;
// zero where the header does not say or the stream cannot go back.
struct OriginalSize
{
    int width = 0;
    int height = 0;
};

OriginalSize PeekOriginalSize(std::istream& in)
{
    OriginalSize size;
    const std::istream::pos_type start = in.tellg();
    if (start == std::istream::pos_type(-1))
        return size;
    std::string buffer(size_t(MaxLineLength) + 1, '\0');
    for (int i = 0; i < 64 && in.getline(buffer.data(), MaxLineLength + 1); ++i) {
        const std::string line(buffer.data());
        if (line.empty() || line[0] != '0')
            break;
        if (GetField(line, " ", 2) != "Tesselka")
            continue;
        const std::string key = GetField(line, " ", 3);
        try {
            if (key == "OWidth")
                size.width = StrToInt(GetField(line, " ", 5));
            else if (key == "OHeight")
                size.height = StrToInt(GetField(line, " ", 5));
        } catch (const Error&) {
            // The line itself is refused when it is read.
        }
    }
    in.clear();
    in.seekg(start);
    return size;
}

// The tallest stud grid the program makes `width` studs wide from a picture of
// `original`: the flattest cells of any style. A header with no original size may have
// any height a picture may have.
int TallestGrid(int width, OriginalSize original)
{
    if (original.width <= 0 || original.height <= 0 || !Bitmap32::SizeAllowed(original.width, original.height))
        return Bitmap32::MaxSide;
    try {
        const std::optional<GridScaleResult> plan =
            PlanGrid(original.width, original.height, width, StyleCellWidth, 2, false);
        return plan ? std::max(plan->height, plan->targetHeight) + 1 : 0;
    } catch (const Error&) {
        return 0; // no style makes a grid this tall from such a picture
    }
}

} // namespace

int ModelPartCells(int partNumber, int styleWidth)
{
    switch (partNumber) {
    case 3005:
    case 3024:
        return 1;
    case 3003:
    case 3022:
        return 2;
    case 3002:
    case 3021:
    case 3622:
    case 3623:
        return 3;
    case 3001:
    case 3010:
    case 3020:
    case 3710:
        return 4;
    case 2456:
    case 3009:
    case 3666:
    case 3795:
        return 6;
    case 3007:
    case 3008:
    case 3034:
    case 3460:
        return 8;
    case 3006:
    case 3832:
    case 4477:
    case 6111:
        return 10;
    case 2445:
    case 6112:
        return 12;
    case 2465:
    case 4282:
        return 16;
    case 3023:
    case 3004:
        return styleWidth == 1 ? 2 : styleWidth == 2 ? 1 : 0;
    default:
        return 0;
    }
}

ModelReadResult ReadModel(std::istream& in, const ColorTable& colorSlots, ModelReadTarget& target,
                          const std::function<void()>& progress)
{
    std::string line;
    long long lineNumber = 0;
    std::string buffer(size_t(MaxLineLength) + 1, '\0');
    auto next = [&] {
        in.getline(buffer.data(), MaxLineLength + 1);
        const std::streamsize got = in.gcount();
        if (in.fail() && !in.eof() && got == MaxLineLength) // no end of line within the limit
            throw Error("Line " + std::to_string(lineNumber + 1) + " of the model is longer than " +
                        std::to_string(MaxLineLength) + " characters");
        if (got == 0 && (in.eof() || in.fail()))
            return false;
        ++lineNumber;
        line.assign(buffer.data());
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    };
    if (!next() || line.find("Tesselka") == std::string::npos)
        return ModelReadResult::NotOurs;

    const OriginalSize original = PeekOriginalSize(in);
    // 64-bit cursors: a hostile file may hold more parts than an int can count.
    long long rowCursor = 0;
    long long columnCursor = 0;
    int previousY = 0;
    int styleWidth = 1;
    long long lines = 0;
    while (next()) {
        if (progress && ++lines % 4096 == 0)
            progress();
        if (line.empty())
            continue;
        if (line[0] == '0') {
            if (GetField(line, " ", 2) != "Tesselka")
                continue;
            const std::string key = GetField(line, " ", 3);
            if (key == "Width") {
                // No wider than the widest mosaic the program makes; the box and the
                // settings only ever see a width that passed.
                const std::string text = GetField(line, " ", 5);
                const int width = PictureSide(text, "Width", MaxMosaicWidth);
                Resize(target.studImage, width, target.studImage.Height());
                target.setWidthText(text);
            } else if (key == "Height") {
                const int height =
                    PictureSide(GetField(line, " ", 5), "Height", TallestGrid(target.studImage.Width(), original));
                Resize(target.studImage, target.studImage.Width(), height);
                rowCursor = height - 1;
            } else if (key == "OWidth") {
                Resize(target.sourcePicture, PictureSide(GetField(line, " ", 5), "OWidth"),
                       target.sourcePicture.Height());
            } else if (key == "OHeight") {
                Resize(target.sourcePicture, target.sourcePicture.Width(),
                       PictureSide(GetField(line, " ", 5), "OHeight"));
            } else if (key == "Style") {
                const std::string style = Trim(GetField(line, ":", 2));
                target.setStyleText(style);
                styleWidth = StrToInt(style.substr(0, 1));
            }
        } else if (line[0] == '1') {
            std::string part = GetField(line, " ", 15);
            part.resize(part.size() > 4 ? part.size() - 4 : 0); // drop ".DAT"
            const int cells = ModelPartCells(StrToInt(part), styleWidth);
            const int y = StrToInt(GetField(line, " ", 4));
            if (y < previousY) {
                columnCursor = 0;
                --rowCursor;
            }
            previousY = y;
            const int code = StrToInt(GetField(line, " ", 2));
            for (const ColorSlot& slot : colorSlots)
                if (slot.Code == code)
                    target.drawColor = slot.Color;
            const Bitmap32& studs = target.studImage;
            if (rowCursor >= 0 && rowCursor < studs.Height())
                for (long long x = columnCursor; x < columnCursor + cells && x < studs.Width(); ++x)
                    target.studImage.SetColorAt(int(x), int(rowCursor), target.drawColor);
            columnCursor += cells;
        }
    }
    return ModelReadResult::Read;
}

} // namespace tesselka
