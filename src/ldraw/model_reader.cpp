#include "ldraw/model_reader.h"

#include "common/error.h"
#include "common/text.h"

#include <algorithm>
#include <cstring>

namespace tesselka {

namespace {

// A picture side read from a model: checked before anything is allocated, as the file
// may come from anywhere.
int PictureSide(const std::string& text, const char* what)
{
    const int value = StrToInt(text);
    if (value < 0 || value > Bitmap32::MaxSide)
        throw Error(std::string("The model's ") + what + " (" + text + ") is not a picture size");
    return value;
}

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
    auto next = [&] {
        if (!std::getline(in, line))
            return false;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    };
    if (!next() || line.find("Tesselka") == std::string::npos)
        return ModelReadResult::NotOurs;

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
                const std::string text = GetField(line, " ", 5);
                target.setWidthText(text);
                Resize(target.studImage, PictureSide(text, "Width"), target.studImage.Height());
            } else if (key == "Height") {
                const int height = PictureSide(GetField(line, " ", 5), "Height");
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
