#include "reduce/dither_engine.h"

#include <algorithm>
#include <typeinfo>

namespace tesselka {

namespace {

// The fast lookup with its cache hit inline; the search runs only for a cell whose
// answer is not known yet, and stores it exactly as FindColor does.
struct InlineFind
{
    explicit InlineFind(TFastColorLookup& l)
        : lookup(l), cache(l.CellCache.get()), entries(l.CellEntries()), unknown(l.UnknownEntry())
    {
    }

    // Index | red << 8 | green << 16 | blue << 24 of the answer.
    uint32_t Entry(int red, int green, int blue) const
    {
        const int cell = (red >> 3) | ((green >> 3) << 5) | ((blue >> 3) << 10);
        const uint32_t known = entries[cell];
        if (known != unknown)
            return known;
        lookup.Search(uint8_t(red), uint8_t(green), uint8_t(blue), cell);
        return entries[cell];
    }

    TFastColorLookup& lookup;
    const int16_t* cache;
    const uint32_t* entries;
    uint32_t unknown;
};

// Values outside 0..255 are rare in real pictures, so the test is a well-predicted
// branch and costs nothing on the chain from one pixel's error to the next; a select
// would add its latency to every pixel.
inline int Clamp255(int v)
{
    if (__builtin_expect(uint32_t(v) > 255u, 0))
        return v < 0 ? 0 : 255;
    return v;
}

template <int Dir>
int NearestRow(const InlineFind& find, const TColor32* source, uint8_t* indices, int column, int width)
{
    for (; uint32_t(column) < uint32_t(width); column += Dir) {
        const TColor32 p = source[column];
        // The 5-5-5 cell straight from 0xAARRGGBB: red bits 19-23, green 11-15, blue 3-7.
        const int cell = int(((p >> 19) & 0x1F) | ((p >> 6) & 0x3E0) | ((p << 7) & 0x7C00));
        const int16_t known = find.cache[cell];
        indices[column] =
            known != -1 ? uint8_t(known) : find.lookup.Search(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), cell);
    }
    return column;
}

// One channel's running values after a pixel: a zero error leaves the cell, Pending
// and LastError alone; Carry becomes 7 x error either way.
inline void FloydSteinbergStep(int& cell, int& carry, int& last, int& pending, int e)
{
    if (e != 0) {
        cell = pending + 3 * e;
        pending = last + 5 * e;
        last = e;
    }
    carry = 7 * e;
}

template <int Dir>
void FloydSteinbergRow(TFloydSteinbergDitherer& fs, const InlineFind& find, const TColor32* source, uint8_t* indices)
{
    int carryR = fs.Carry[0], carryG = fs.Carry[1], carryB = fs.Carry[2];
    int lastR = fs.LastError[0], lastG = fs.LastError[1], lastB = fs.LastError[2];
    int pendR = fs.Pending[0], pendG = fs.Pending[1], pendB = fs.Pending[2];
    int* cell = fs.CellData() + 4 * fs.CursorCell;
    const int first = fs.CurrentColumn;
    const int count = Dir == 1 ? fs.LineWidth - first : first + 1;
    const TColor32* src = source + first;
    uint8_t* dst = indices + first;
    const uint32_t* entries = find.entries;
    const uint32_t unknown = find.unknown;
    for (int i = 0; i < count; ++i, src += Dir, dst += Dir, cell += 4 * Dir) {
        const TColor32 p = *src;
        const int r = Clamp255(int((p >> 16) & 0xFF) + (cell[0] + carryR + 8) / 16);
        const int g = Clamp255(int((p >> 8) & 0xFF) + (cell[1] + carryG + 8) / 16);
        const int b = Clamp255(int(p & 0xFF) + (cell[2] + carryB + 8) / 16);
        // Unsigned, so the cell indexes the table without a sign extension on the chain.
        const uint32_t at = uint32_t(r >> 3) | uint32_t(g >> 3) << 5 | uint32_t(b >> 3) << 10;
        uint32_t chosen = entries[at];
        if (__builtin_expect(chosen == unknown, 0))
            chosen = find.Entry(r, g, b);
        FloydSteinbergStep(cell[0], carryR, lastR, pendR, r - int((chosen >> 8) & 0xFF));
        FloydSteinbergStep(cell[1], carryG, lastG, pendG, g - int((chosen >> 16) & 0xFF));
        FloydSteinbergStep(cell[2], carryB, lastB, pendB, b - int(chosen >> 24));
        *dst = uint8_t(chosen);
    }
    fs.Carry[0] = carryR, fs.Carry[1] = carryG, fs.Carry[2] = carryB;
    fs.LastError[0] = lastR, fs.LastError[1] = lastG, fs.LastError[2] = lastB;
    fs.Pending[0] = pendR, fs.Pending[1] = pendG, fs.Pending[2] = pendB;
    fs.CursorCell += count * Dir;
    fs.CurrentColumn = first + count * Dir;
}

template <class Kind>
constexpr int RowsOf()
{
    int rows = 0;
    for (const KernelTap& t : Kind::Taps)
        rows = std::max(rows, t.row + 1);
    return rows;
}

template <class Kind>
constexpr int RowZeroWeight(int offset)
{
    int weight = 0;
    for (const KernelTap& t : Kind::Taps)
        if (t.row == 0 && t.offset == offset)
            weight = t.weight;
    return weight;
}

template <class Kind>
constexpr bool RowZeroTapsAhead()
{
    for (const KernelTap& t : Kind::Taps)
        if (t.row == 0 && t.offset != 1 && t.offset != 2)
            return false;
    return true;
}

// A kernel kind over one row, with the taps and the direction known at compile time.
// Row 0's taps reach only the next two pixels and row 0 is cleared at the end of the
// row, so their shares travel in registers (ahead1, ahead2) instead of through memory;
// every pixel still reads what earlier rows left in its row-0 cell.
template <class Kind, int Dir>
void KernelRow(ErrorRowSet& set, int& cursorCell, int& currentColumn, int width, const InlineFind& find,
               const TColor32* source, uint8_t* indices)
{
    static_assert(RowZeroTapsAhead<Kind>(), "row-0 taps must reach the next two pixels only");
    constexpr int Rows = RowsOf<Kind>();
    constexpr int D = Kind::KernelDivisor;
    constexpr int W1 = RowZeroWeight<Kind>(1);
    constexpr int W2 = RowZeroWeight<Kind>(2);
    constexpr int Stride = ErrorRowSet::CellStride;
    int* rows[Rows];
    for (int r = 0; r < Rows; ++r)
        rows[r] = set.Row(r) + Stride * cursorCell;
    const int first = currentColumn;
    const int count = Dir == 1 ? width - first : first + 1;
    const TColor32* src = source + first;
    uint8_t* dst = indices + first;
    int ahead1[3] = {0, 0, 0}, ahead2[3] = {0, 0, 0};
    for (int i = 0; i < count; ++i, src += Dir, dst += Dir) {
        const TColor32 p = *src;
        const int value[3] = {int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
        int corrected[3];
        for (int ch = 0; ch < 3; ++ch)
            corrected[ch] = Clamp255(value[ch] + (rows[0][ch] + ahead1[ch] + D / 2) / D);
        const uint32_t chosen = find.Entry(corrected[0], corrected[1], corrected[2]);
        const int error[3] = {corrected[0] - int((chosen >> 8) & 0xFF), corrected[1] - int((chosen >> 16) & 0xFF),
                              corrected[2] - int(chosen >> 24)};
        for (int ch = 0; ch < 3; ++ch) {
            ahead1[ch] = ahead2[ch] + W1 * error[ch];
            ahead2[ch] = W2 * error[ch];
#pragma GCC unroll 16
            for (const KernelTap& t : Kind::Taps)
                if (t.row > 0)
                    rows[t.row][Stride * t.offset * Dir + ch] += t.weight * error[ch];
        }
        *dst = uint8_t(chosen);
        for (int r = 0; r < Rows; ++r)
            rows[r] += Stride * Dir;
    }
    cursorCell += count * Dir;
    currentColumn = first + count * Dir;
}

template <class Kind>
void RunKernelRow(Kind& engine, ErrorRowSet& set, int& cursorCell, TFastColorLookup& lookup, const TColor32* source,
                  uint8_t* indices)
{
    const InlineFind find(lookup);
    if (engine.ScanDirection == 1)
        KernelRow<Kind, 1>(set, cursorCell, engine.CurrentColumn, engine.LineWidth, find, source, indices);
    else
        KernelRow<Kind, -1>(set, cursorCell, engine.CurrentColumn, engine.LineWidth, find, source, indices);
}

// The per-pixel pattern of a kernel kind through the base lookup.
template <class Kind>
void KernelPixel(Kind& engine, int* (&cursors)[3][4], uint8_t red, uint8_t green, uint8_t blue, uint8_t& index,
                 uint8_t& outRed, uint8_t& outGreen, uint8_t& outBlue)
{
    constexpr int D = Kind::KernelDivisor;
    const int source[3] = {red, green, blue};
    int corrected[3];
    for (int ch = 0; ch < 3; ++ch)
        corrected[ch] = Clamp255(source[ch] + (cursors[ch][0][0] + D / 2) / D);
    engine.TDitherEngine::DitherPixel(uint8_t(corrected[0]), uint8_t(corrected[1]), uint8_t(corrected[2]), index,
                                      outRed, outGreen, outBlue);
    const int chosen[3] = {outRed, outGreen, outBlue};
    for (int ch = 0; ch < 3; ++ch)
        for (const KernelTap& t : Kind::Taps)
            cursors[ch][t.row][ErrorRowSet::CellStride * t.offset * engine.ScanDirection] +=
                t.weight * (corrected[ch] - chosen[ch]);
}

} // namespace

TDitherEngine::TDitherEngine(int32_t lineWidth, TColorLookup* colorLookup)
    : ColorLookup(colorLookup), LineWidth(lineWidth), fastLookup_(dynamic_cast<TFastColorLookup*>(colorLookup))
{
}

void TDitherEngine::EndLine()
{
    ScanDirection = -ScanDirection;
    CurrentColumn = ScanDirection == 1 ? 0 : LineWidth - 1;
}

void TDitherEngine::DitherRow(const TColor32* source, uint8_t* indices)
{
    // The nearest-colour kind itself; a kind without its own row routine takes the
    // per-pixel path below.
    if (fastLookup_ && typeid(*this) == typeid(TDitherEngine)) {
        const InlineFind find(*fastLookup_);
        CurrentColumn = ScanDirection == 1 ? NearestRow<1>(find, source, indices, CurrentColumn, LineWidth)
                                           : NearestRow<-1>(find, source, indices, CurrentColumn, LineWidth);
        return;
    }
    while (uint32_t(CurrentColumn) < uint32_t(LineWidth)) {
        const int x = CurrentColumn;
        const TColor32 p = source[x];
        uint8_t index, r, g, b;
        DitherPixel(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), index, r, g, b);
        indices[x] = index;
    }
}

ErrorRowSet::ErrorRowSet(int rows, int cells)
    : storage_(new int[size_t(rows) * size_t(cells) * CellStride]()), rowCount_(rows), cells_(cells)
{
    for (int r = 0; r < rows; ++r)
        rows_[size_t(r)] = storage_.get() + size_t(r) * size_t(cells) * CellStride;
}

void ErrorRowSet::ClearAndRotate()
{
    std::fill_n(rows_[0], size_t(cells_) * CellStride, 0);
    std::rotate(rows_.begin(), rows_.begin() + 1, rows_.begin() + rowCount_);
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int32_t lineWidth, TColorLookup* colorLookup)
    : TDitherEngine(lineWidth, colorLookup), storage_(new int[4 * (size_t(lineWidth) + 2)]())
{
}

void TFloydSteinbergDitherer::EndLine()
{
    // The cursor stands one past the row's last pixel: cell LineWidth after a
    // left-to-right row, cell 1 after a right-to-left one.
    for (int ch = 0; ch < 3; ++ch) {
        ErrorCell(ch, CursorCell) = Pending[ch];
        Carry[ch] = LastError[ch] = Pending[ch] = 0;
    }
    TDitherEngine::EndLine();
    CursorCell = ScanDirection == 1 ? 0 : LineWidth + 1;
}

void TFloydSteinbergDitherer::DitherRow(const TColor32* source, uint8_t* indices)
{
    if (!fastLookup_) {
        TDitherEngine::DitherRow(source, indices);
        return;
    }
    const InlineFind find(*fastLookup_);
    if (ScanDirection == 1)
        FloydSteinbergRow<1>(*this, find, source, indices);
    else
        FloydSteinbergRow<-1>(*this, find, source, indices);
}

T5by3Ditherer::T5by3Ditherer(int32_t lineWidth, TColorLookup* colorLookup, int32_t divisor)
    : TDitherEngine(lineWidth, colorLookup), Divisor(divisor), rows_(3, lineWidth + 4)
{
}

void T5by3Ditherer::EndLine()
{
    rows_.ClearAndRotate();
    TDitherEngine::EndLine();
    CursorCell = ScanDirection == 1 ? 2 : LineWidth + 1;
}

template <class Self, int D>
void T5by3Kind<Self, D>::DitherRow(const TColor32* source, uint8_t* indices)
{
    if (!fastLookup_) {
        TDitherEngine::DitherRow(source, indices);
        return;
    }
    RunKernelRow(static_cast<Self&>(*this), Rows(), CursorCell, *fastLookup_, source, indices);
}

template class T5by3Kind<TStuckiDitherer, 42>;
template class T5by3Kind<TSierraDitherer, 32>;
template class T5by3Kind<TJaJuNiDitherer, 48>;

TSteveArcheDitherer::TSteveArcheDitherer(int32_t lineWidth, TColorLookup* colorLookup)
    : TDitherEngine(lineWidth, colorLookup), rows_(4, lineWidth + 6)
{
}

void TSteveArcheDitherer::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed,
                                      uint8_t& outGreen, uint8_t& outBlue)
{
    int* cursors[3][4];
    for (int ch = 0; ch < 3; ++ch)
        for (int r = 0; r < 4; ++r)
            cursors[ch][r] = ErrorCursor(ch, r);
    KernelPixel(*this, cursors, red, green, blue, index, outRed, outGreen, outBlue);
    CursorCell += ScanDirection;
}

void TSteveArcheDitherer::EndLine()
{
    rows_.ClearAndRotate();
    TDitherEngine::EndLine();
    CursorCell = ScanDirection == 1 ? 3 : LineWidth + 2;
}

void TSteveArcheDitherer::DitherRow(const TColor32* source, uint8_t* indices)
{
    if (!fastLookup_) {
        TDitherEngine::DitherRow(source, indices);
        return;
    }
    RunKernelRow(*this, rows_, CursorCell, *fastLookup_, source, indices);
}

TBurkesDitherer::TBurkesDitherer(int32_t lineWidth, TColorLookup* colorLookup)
    : TDitherEngine(lineWidth, colorLookup), rows_(2, lineWidth + 4)
{
}

void TBurkesDitherer::DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed,
                                  uint8_t& outGreen, uint8_t& outBlue)
{
    int* cursors[3][4] = {};
    for (int ch = 0; ch < 3; ++ch)
        for (int r = 0; r < 2; ++r)
            cursors[ch][r] = ErrorCursor(ch, r);
    KernelPixel(*this, cursors, red, green, blue, index, outRed, outGreen, outBlue);
    CursorCell += ScanDirection;
}

void TBurkesDitherer::EndLine()
{
    rows_.ClearAndRotate();
    TDitherEngine::EndLine();
    CursorCell = ScanDirection == 1 ? 2 : LineWidth + 1;
}

void TBurkesDitherer::DitherRow(const TColor32* source, uint8_t* indices)
{
    if (!fastLookup_) {
        TDitherEngine::DitherRow(source, indices);
        return;
    }
    RunKernelRow(*this, rows_, CursorCell, *fastLookup_, source, indices);
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
