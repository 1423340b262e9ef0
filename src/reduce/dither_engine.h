#pragma once

// The ditherers: they turn the pixels of one picture, visited in serpentine order (the
// first row left to right, the next right to left, ...), into palette indices, spreading
// each pixel's quantisation error over pixels not yet visited.
//
// The arithmetic is the program's own and stored mosaics depend on it, so it is kept
// exactly, including its quirks: divisions truncate toward zero (also for negative
// terms), corrected values are clamped before the lookup and the error is measured from
// the clamped value, and Floyd-Steinberg passes its shares on through running values
// (see TFloydSteinbergDitherer).
//
// DitherPixel is the definition of each kind; DitherRow runs the same arithmetic over a
// row without a virtual call per pixel and is what the driver uses.

#include "reduce/color_lookup.h"
#include "reduce/dither_kind.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tesselka {

// The nearest-colour kind and the base of the error-diffusion kinds.
class TDitherEngine
{
public:
    // `colorLookup` is not owned and must outlive the ditherer.
    TDitherEngine(int32_t lineWidth, TColorLookup* colorLookup);
    virtual ~TDitherEngine() = default;
    TDitherEngine(const TDitherEngine&) = delete;
    TDitherEngine& operator=(const TDitherEngine&) = delete;

    // Index and colour of the palette entry chosen for the pixel at CurrentColumn, given
    // its source colour; moves CurrentColumn on by ScanDirection.
    virtual void DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed,
                             uint8_t& outGreen, uint8_t& outBlue)
    {
        Lookup(red, green, blue, index, outRed, outGreen, outBlue);
        AdvanceColumn();
    }
    // After each row: the direction flips and CurrentColumn goes to the new row's first pixel.
    virtual void EndLine();
    // DitherPixel for the rest of the current row (while CurrentColumn is inside it), each
    // index stored at its column of `indices`; `source` is the row's pixels. The kinds run
    // the very same arithmetic here with their state held in locals, one call per row
    // instead of a virtual call per pixel.
    virtual void DitherRow(const TColor32* source, uint8_t* indices);

    int32_t ScanDirection = 1;
    int32_t CurrentColumn = 0;
    TColorLookup* ColorLookup;
    int32_t LineWidth;

protected:
    void Lookup(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed, uint8_t& outGreen,
                uint8_t& outBlue)
    {
        // The program's own reductions always use the fast lookup; calling it through
        // its final type lets the cache hit inline.
        if (fastLookup_)
            fastLookup_->FindColor(red, green, blue, index, outRed, outGreen, outBlue);
        else
            ColorLookup->FindColor(red, green, blue, index, outRed, outGreen, outBlue);
    }
    void AdvanceColumn() { CurrentColumn += ScanDirection; }

    static int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

    TFastColorLookup* fastLookup_;
};

// One weight of a kernel: `weight` x error goes to the cell `offset` cells ahead (in the
// scan direction) of the cursor of row `row` (0 is the row being processed).
struct KernelTap
{
    int row;
    int offset;
    int weight;
};

// Rows of error terms of the kernel kinds: `rows` rows of `cells` cells, zero-filled. The
// three channels of a cell lie together (four ints per cell), so one pointer walks a row
// for all channels and a channel's cursor steps CellStride ints per cell. The cells
// beyond the picture's edges are margins that the kernels may write without bounds
// tests; they are never read for a pixel.
class ErrorRowSet
{
public:
    static constexpr int MaxRows = 4;
    static constexpr int CellStride = 4;
    ErrorRowSet(int rows, int cells);

    int* Row(int row) { return rows_[size_t(row)]; }
    int& Cell(int channel, int row, int cell) { return rows_[size_t(row)][CellStride * cell + channel]; }
    // Clears row 0 (margins included) and makes it the last row; the other rows move up
    // by one.
    void ClearAndRotate();

private:
    std::unique_ptr<int[]> storage_;
    std::array<int*, MaxRows> rows_{};
    int rowCount_;
    int cells_;
};

// Floyd-Steinberg with one row buffer of `LineWidth` + 2 cells (three channels each),
// never cleared.
// Shares of 7, 3, 5 and 1 sixteenths reach later pixels through the running values
// Carry, LastError and Pending rather than by direct writes. On right-to-left rows this
// lands the error one column away from the textbook kernel, the cells at the margins
// carry values from two rows up, and a zero error leaves the old cell to be read again.
// That is the program's look; it is not to be corrected.
class TFloydSteinbergDitherer final : public TDitherEngine
{
public:
    TFloydSteinbergDitherer(int32_t lineWidth, TColorLookup* colorLookup);

    void DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override
    {
        const int source[3] = {red, green, blue};
        int corrected[3];
        for (int ch = 0; ch < 3; ++ch) {
            // The cell at the cursor itself, not the one ahead of it.
            int term = ErrorCell(ch, CursorCell) + Carry[ch];
            corrected[ch] = Clamp255(source[ch] + (term + 8) / 16);
        }
        TDitherEngine::DitherPixel(uint8_t(corrected[0]), uint8_t(corrected[1]), uint8_t(corrected[2]), index, outRed,
                                   outGreen, outBlue);
        const int chosen[3] = {outRed, outGreen, outBlue};
        for (int ch = 0; ch < 3; ++ch) {
            int e = corrected[ch] - chosen[ch];
            if (e != 0) {
                ErrorCell(ch, CursorCell) = Pending[ch] + 3 * e;
                Pending[ch] = LastError[ch] + 5 * e;
                LastError[ch] = e;
                Carry[ch] = 7 * e;
            } else {
                Carry[ch] = 0;
            }
        }
        CursorCell += ScanDirection;
    }
    void EndLine() override;
    void DitherRow(const TColor32* source, uint8_t* indices) override;

    // The row buffer's cell of a channel; the three channels of a cell lie together
    // (four ints per cell) and share one cursor, CursorCell. The fourth int is free for
    // the row routine.
    int& ErrorCell(int channel, int cell) { return storage_[4 * size_t(cell) + size_t(channel)]; }
    int* CellData() { return storage_.get(); }
    // Each pixel's clamped colour in the row being dithered, four ints a pixel (the
    // fourth always 0): the row routine moves the running values on from them and each
    // pixel's answer, behind the lookups.
    int32_t* RowColours() { return rowColours_.get(); }

    int32_t CursorCell = 0;
    int32_t Carry[3] = {0, 0, 0};
    int32_t LastError[3] = {0, 0, 0};
    int32_t Pending[3] = {0, 0, 0};

private:
    std::unique_ptr<int[]> storage_;
    std::unique_ptr<int32_t[]> rowColours_;
};

// The 5 x 3 kernels (Stucki, Sierra, Jarvis-Judice-Ninke): three rows of `LineWidth` + 4
// cells; column x sits in cell x + 2 of every row, so the kernel may
// write two cells beyond either edge.
class T5by3Ditherer : public TDitherEngine
{
public:
    T5by3Ditherer(int32_t lineWidth, TColorLookup* colorLookup, int32_t divisor);

    void EndLine() override;
    // Adds the kernel's shares of `error` around the cursors of rows 0, 1 and 2 of one
    // channel (cells ErrorRowSet::CellStride apart).
    virtual void SpreadError(int* row0, int* row1, int* row2, int error) = 0;

    int& ErrorCell(int channel, int row, int cell) { return rows_.Cell(channel, row, cell); }
    // A channel's cell at the cursor in a row; neighbouring cells are CellStride apart.
    int* ErrorCursor(int channel, int row) { return &rows_.Cell(channel, row, CursorCell); }
    ErrorRowSet& Rows() { return rows_; }

    int32_t Divisor;
    int32_t CursorCell = 2;

protected:
    // The per-pixel pattern with the leaf's divisor as a constant and its SpreadError
    // called directly.
    template <class Self>
    void DitherPixelAs(Self& self, uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed,
                       uint8_t& outGreen, uint8_t& outBlue)
    {
        constexpr int D = Self::KernelDivisor;
        const int source[3] = {red, green, blue};
        int corrected[3];
        for (int ch = 0; ch < 3; ++ch)
            corrected[ch] = Clamp255(source[ch] + (ErrorCursor(ch, 0)[0] + D / 2) / D);
        TDitherEngine::DitherPixel(uint8_t(corrected[0]), uint8_t(corrected[1]), uint8_t(corrected[2]), index, outRed,
                                   outGreen, outBlue);
        const int chosen[3] = {outRed, outGreen, outBlue};
        // A zero error adds nothing, so the kernel runs without a test.
        for (int ch = 0; ch < 3; ++ch)
            self.Self::SpreadError(ErrorCursor(ch, 0), ErrorCursor(ch, 1), ErrorCursor(ch, 2),
                                   corrected[ch] - chosen[ch]);
        CursorCell += ScanDirection;
    }

private:
    ErrorRowSet rows_;
};

// What the three 5 x 3 kinds share, with the leaf's divisor and taps known at compile time.
template <class Self, int D>
class T5by3Kind : public T5by3Ditherer
{
public:
    static constexpr int KernelDivisor = D;
    T5by3Kind(int32_t lineWidth, TColorLookup* colorLookup) : T5by3Ditherer(lineWidth, colorLookup, D) {}

    void DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override
    {
        DitherPixelAs(static_cast<Self&>(*this), red, green, blue, index, outRed, outGreen, outBlue);
    }
    void SpreadError(int* row0, int* row1, int* row2, int error) override
    {
        int* rows[3] = {row0, row1, row2};
        for (const KernelTap& t : Self::Taps)
            rows[t.row][ErrorRowSet::CellStride * t.offset * ScanDirection] += t.weight * error;
    }
    void DitherRow(const TColor32* source, uint8_t* indices) override;
};

class TStuckiDitherer final : public T5by3Kind<TStuckiDitherer, 42>
{
public:
    using T5by3Kind::T5by3Kind;
    static constexpr KernelTap Taps[] = {
        {0, 1, 8},  {0, 2, 4},                                   //
        {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}, //
        {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1},
    };
};

class TSierraDitherer final : public T5by3Kind<TSierraDitherer, 32>
{
public:
    using T5by3Kind::T5by3Kind;
    static constexpr KernelTap Taps[] = {
        {0, 1, 5},  {0, 2, 3},                                   //
        {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2}, //
        {2, -1, 2}, {2, 0, 3},  {2, 1, 2},
    };
};

class TJaJuNiDitherer final : public T5by3Kind<TJaJuNiDitherer, 48>
{
public:
    using T5by3Kind::T5by3Kind;
    static constexpr KernelTap Taps[] = {
        {0, 1, 7},  {0, 2, 5},                                   //
        {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3}, //
        {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1},
    };
};

// Stevenson-Arce, over 200: four rows of `LineWidth` + 6 cells; column x in cell x + 3.
class TSteveArcheDitherer final : public TDitherEngine
{
public:
    static constexpr int KernelDivisor = 200;
    static constexpr KernelTap Taps[] = {
        {0, 2, 32},                                       //
        {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16}, //
        {2, -2, 12}, {2, 0, 26},  {2, 2, 12},             //
        {3, -3, 5},  {3, -1, 12}, {3, 1, 12}, {3, 3, 5},
    };
    TSteveArcheDitherer(int32_t lineWidth, TColorLookup* colorLookup);

    void DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override;
    void EndLine() override;
    void DitherRow(const TColor32* source, uint8_t* indices) override;

    int& ErrorCell(int channel, int row, int cell) { return rows_.Cell(channel, row, cell); }
    // A channel's cell at the cursor in a row; neighbouring cells are CellStride apart.
    int* ErrorCursor(int channel, int row) { return &rows_.Cell(channel, row, CursorCell); }

    int32_t CursorCell = 3;

private:
    ErrorRowSet rows_;
};

// Burkes, over 32: two rows of `LineWidth` + 4 cells; column x in cell x + 2.
class TBurkesDitherer final : public TDitherEngine
{
public:
    static constexpr int KernelDivisor = 32;
    static constexpr KernelTap Taps[] = {
        {0, 1, 8},  {0, 2, 4}, //
        {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
    };
    TBurkesDitherer(int32_t lineWidth, TColorLookup* colorLookup);

    void DitherPixel(uint8_t red, uint8_t green, uint8_t blue, uint8_t& index, uint8_t& outRed, uint8_t& outGreen,
                     uint8_t& outBlue) override;
    void EndLine() override;
    void DitherRow(const TColor32* source, uint8_t* indices) override;

    int& ErrorCell(int channel, int row, int cell) { return rows_.Cell(channel, row, cell); }
    // A channel's cell at the cursor in a row; neighbouring cells are CellStride apart.
    int* ErrorCursor(int channel, int row) { return &rows_.Cell(channel, row, CursorCell); }

    int32_t CursorCell = 2;

private:
    ErrorRowSet rows_;
};

extern template class T5by3Kind<TStuckiDitherer, 42>;
extern template class T5by3Kind<TSierraDitherer, 32>;
extern template class T5by3Kind<TJaJuNiDitherer, 48>;

// The ditherer of a kind for a picture `lineWidth` pixels wide; nullptr for a value
// outside 0..6.
std::unique_ptr<TDitherEngine> CreateDitherer(int kind, int32_t lineWidth, TColorLookup* colorLookup);

// Floyd-Steinberg's row routine has a second build for x86-64 processors with AVX, taken
// when the processor has it. Both give the same indices; tests turn the AVX build off to
// check the other one on the same machine.
void AllowAvxRowRoutine(bool allowed);

} // namespace tesselka
