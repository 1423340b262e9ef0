#include "reduce/dither_engine.h"

#include <algorithm>

namespace tesselka {

TDitherEngine::TDitherEngine(int32_t lineWidth, TColorLookup* colorLookup)
    : ColorLookup(colorLookup), LineWidth(lineWidth), fastLookup_(dynamic_cast<TFastColorLookup*>(colorLookup))
{
}

void TDitherEngine::EndLine()
{
    ScanDirection = -ScanDirection;
    CurrentColumn = ScanDirection == 1 ? 0 : LineWidth - 1;
}

ErrorRowSet::ErrorRowSet(int rows, int cells)
    : storage_(new int[size_t(3 * rows) * size_t(cells)]()), rowCount_(rows), cells_(cells)
{
    for (int ch = 0; ch < 3; ++ch)
        for (int r = 0; r < rows; ++r)
            rows_[size_t(ch * MaxRows + r)] = storage_.get() + size_t(ch * rows + r) * size_t(cells);
}

void ErrorRowSet::ClearAndRotate()
{
    for (int ch = 0; ch < 3; ++ch) {
        int** rows = &rows_[size_t(ch * MaxRows)];
        std::fill_n(rows[0], cells_, 0);
        std::rotate(rows, rows + 1, rows + rowCount_);
    }
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int32_t lineWidth, TColorLookup* colorLookup)
    : TDitherEngine(lineWidth, colorLookup), storage_(new int[3 * (size_t(lineWidth) + 2)]())
{
    for (int ch = 0; ch < 3; ++ch)
        rows_[size_t(ch)] = storage_.get() + size_t(ch) * (size_t(lineWidth) + 2);
}

void TFloydSteinbergDitherer::EndLine()
{
    // The cursor stands one past the row's last pixel: cell LineWidth after a
    // left-to-right row, cell 1 after a right-to-left one.
    for (int ch = 0; ch < 3; ++ch) {
        ErrorCursor(ch)[0] = Pending[ch];
        Carry[ch] = LastError[ch] = Pending[ch] = 0;
    }
    TDitherEngine::EndLine();
    CursorCell = ScanDirection == 1 ? 0 : LineWidth + 1;
}

T5by3Ditherer::T5by3Ditherer(int32_t lineWidth, TColorLookup* colorLookup, int32_t divisor)
    : TDitherEngine(lineWidth, colorLookup), Divisor(divisor), rows_(3, lineWidth + 4)
{
}

void T5by3Ditherer::EndLine()
{
    rows_.ClearAndRotate();
    TDitherEngine::EndLine();
    Step2 = 2 * ScanDirection;
    CursorCell = ScanDirection == 1 ? 2 : LineWidth + 1;
}

TSteveArcheDitherer::TSteveArcheDitherer(int32_t lineWidth, TColorLookup* colorLookup)
    : TDitherEngine(lineWidth, colorLookup), rows_(4, lineWidth + 6)
{
}

void TSteveArcheDitherer::EndLine()
{
    rows_.ClearAndRotate();
    TDitherEngine::EndLine();
    Step2 = 2 * ScanDirection;
    Step3 = 3 * ScanDirection;
    CursorCell = ScanDirection == 1 ? 3 : LineWidth + 2;
}

TBurkesDitherer::TBurkesDitherer(int32_t lineWidth, TColorLookup* colorLookup)
    : TDitherEngine(lineWidth, colorLookup), rows_(2, lineWidth + 4)
{
}

void TBurkesDitherer::EndLine()
{
    rows_.ClearAndRotate();
    TDitherEngine::EndLine();
    Step2 = 2 * ScanDirection;
    CursorCell = ScanDirection == 1 ? 2 : LineWidth + 1;
}

std::unique_ptr<TDitherEngine> CreateDitherer(int kind, int32_t lineWidth, TColorLookup* colorLookup)
{
    switch (kind) {
    case DitherNearest:
        return std::make_unique<TDitherEngine>(lineWidth, colorLookup);
    case DitherFloydSteinberg:
        return std::make_unique<TFloydSteinbergDitherer>(lineWidth, colorLookup);
    case DitherStucki:
        return std::make_unique<TStuckiDitherer>(lineWidth, colorLookup);
    case DitherSierra:
        return std::make_unique<TSierraDitherer>(lineWidth, colorLookup);
    case DitherJarvisJudiceNinke:
        return std::make_unique<TJaJuNiDitherer>(lineWidth, colorLookup);
    case DitherStevensonArce:
        return std::make_unique<TSteveArcheDitherer>(lineWidth, colorLookup);
    case DitherBurkes:
        return std::make_unique<TBurkesDitherer>(lineWidth, colorLookup);
    default:
        return nullptr;
    }
}

} // namespace tesselka
