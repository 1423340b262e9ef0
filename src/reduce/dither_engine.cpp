#include "reduce/dither_engine.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <type_traits>
#include <typeinfo>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The answer whose offset in the fast lookup's diffusion entries a row of
// Floyd-Steinberg keeps in the spare fourth int of the pixel's error cell.
inline const TFastColorLookup::DiffusionEntry& Answer(const TFastColorLookup::DiffusionEntry* entries, const int* cell)
{
    return *reinterpret_cast<const TFastColorLookup::DiffusionEntry*>(reinterpret_cast<const char*>(entries) +
                                                                      uint32_t(cell[3]));
}

// Floyd-Steinberg's running values of the three channels (see TFloydSteinbergDitherer),
// moved on by one pixel from its clamped colour and its answer: a zero error leaves the
// cell, Pending and LastError alone. The pixel's index is written here too.
#if defined(__SSE2__)
class RunningValues
{
public:
    // Every value fits 16 bits: an error lies within -255..255, Pending within 6 x that
    // and a cell within 9 x, so Pending and LastError share one register and one
    // multiply makes 3 x and 5 x the error.
    RunningValues(const int32_t* pending, const int32_t* last)
        : state_(_mm_setr_epi16(int16_t(pending[0]), int16_t(pending[1]), int16_t(pending[2]), 0, int16_t(last[0]),
                                int16_t(last[1]), int16_t(last[2]), 0))
    {
    }

    // `colour` holds the pixel's clamped colour (the fourth int 0) and `cell` the
    // pixel's four cell ints, the fourth its answer's place among `entries`; the
    // answer's index goes to `index`.
    void Apply(const int32_t* colour, const TFastColorLookup::DiffusionEntry* entries, int* cell, uint8_t* index)
    {
        // The answers' colours lie just before the entries: one register reaches both.
        const TFastColorLookup::AnswerColour* const answers = TFastColorLookup::AnswerColoursBefore(entries);
        const uint8_t found = Answer(entries, cell).index;
        *index = found;
        const __m128i colours = _mm_load_si128(reinterpret_cast<const __m128i*>(colour));
        const __m128i e = _mm_sub_epi16(_mm_packs_epi32(colours, colours),
                                        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(answers + found)));
        const __m128i errors = _mm_unpacklo_epi64(e, e);
        const __m128i keep = _mm_cmpeq_epi16(errors, _mm_setzero_si128());
        // The new cell | the new Pending.
        const __m128i fresh = _mm_add_epi16(state_, _mm_mullo_epi16(errors, _mm_setr_epi16(3, 3, 3, 0, 5, 5, 5, 0)));
        const __m128i keepCell = _mm_unpacklo_epi16(keep, keep);
        const __m128i newCell = _mm_srai_epi32(_mm_unpacklo_epi16(fresh, fresh), 16);
        const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cell));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cell), Select(keepCell, old, newCell));
        // The new Pending | the new LastError, which is the error.
        state_ = Select(keep, state_, _mm_unpackhi_epi64(fresh, errors));
    }

    void Store(int32_t* pending, int32_t* last) const
    {
        alignas(16) int16_t values[8];
        _mm_store_si128(reinterpret_cast<__m128i*>(values), state_);
        std::copy_n(values, 3, pending);
        std::copy_n(values + 4, 3, last);
    }

private:
    static __m128i Select(__m128i keep, __m128i old, __m128i fresh)
    {
        return _mm_or_si128(_mm_and_si128(keep, old), _mm_andnot_si128(keep, fresh));
    }

    // Pending | LastError, three 16-bit fields and a 0 each.
    __m128i state_;
};
#else
class RunningValues
{
public:
    RunningValues(const int32_t* pending, const int32_t* last)
    {
        std::copy_n(pending, 3, pending_);
        std::copy_n(last, 3, last_);
    }

    void Apply(const int32_t* colour, const TFastColorLookup::DiffusionEntry* entries, int* cell, uint8_t* index)
    {
        const uint8_t found = Answer(entries, cell).index;
        *index = found;
        const TFastColorLookup::AnswerColour& answer = TFastColorLookup::AnswerColoursBefore(entries)[found];
        const int answerColour[3] = {answer.red, answer.green, answer.blue};
        for (int ch = 0; ch < 3; ++ch) {
            const int e = colour[ch] - answerColour[ch];
            if (e == 0)
                continue;
            cell[ch] = pending_[ch] + 3 * e;
            pending_[ch] = last_[ch] + 5 * e;
            last_[ch] = e;
        }
    }

    void Store(int32_t* pending, int32_t* last) const
    {
        std::copy_n(pending_, 3, pending);
        std::copy_n(last_, 3, last);
    }

private:
    int32_t pending_[3], last_[3];
};
#endif

// The value as it is, but opaque to the optimiser, which would otherwise fold the row
// pointers of a lookup back into one address and give each field's load a displacement,
// a cycle slower on the lookup chain than a load from base + index.
template <class T>
inline T Unfolded(T value)
{
#if defined(__GNUC__)
    asm("" : "+r"(value));
#endif
    return value;
}

[[gnu::noinline]] const TFastColorLookup::DiffusionEntry& SearchDiffusionEntry(TFastColorLookup& lookup, int red,
                                                                               int green, int blue, uint32_t cell)
{
    lookup.Search(uint8_t(red), uint8_t(green), uint8_t(blue), int(cell));
    return lookup.DiffusionEntries()[cell];
}

// A row of Floyd-Steinberg as two strands. The chain from a pixel's corrected colour
// through the lookup to the next pixel's correction limits the kernel most, so it
// carries as little as it can: the next pixel's cell, source and 7 x this pixel's colour
// are summed while the lookup runs, and the table gives 7 x 255 - 7 x the answer's
// colour, so one add per channel completes the next correction. src + (t + 8) / 16,
// truncated, is taken as (16 src + t + 8 (+ 15 when t + 8 < 0)) >> 4. Everything else
// waits Lag pixels, in vector registers, out of the chain's way: the running values and
// error cells, which this row never reads again, and even the index, taken from each
// pixel's answer. The loop is bound as much by how many instructions it issues as by the
// chain, so what the second strand needs travels in as few registers as it can: the
// answer's place in the spare int of the pixel's own cell, the palette's colours beside
// the table.
template <int Dir>
[[gnu::always_inline]] inline void FloydSteinbergRow(TFloydSteinbergDitherer& fs, TFastColorLookup& lookup,
                                                     const TColor32* source, uint8_t* indices)
{
    constexpr int Lag = 16;
    const int first = fs.CurrentColumn;
    const int count = Dir == 1 ? fs.LineWidth - first : first + 1;
    if (count <= 0)
        return;
    int* const cell = fs.CellData() + 4 * fs.CursorCell;
    int32_t* const colours = fs.RowColours();
    const TColor32* const src = source + first;
    uint8_t* const dst = indices + first;
    const TFastColorLookup::DiffusionEntry* const table = lookup.DiffusionEntries();

    using Entry = TFastColorLookup::DiffusionEntry;
    int r, g, b;
    {
        const TColor32 p = src[0];
        r = int((p >> 16) & 0xFF) + (cell[0] + fs.Carry[0] + 8) / 16;
        g = int((p >> 8) & 0xFF) + (cell[1] + fs.Carry[1] + 8) / 16;
        b = int(p & 0xFF) + (cell[2] + fs.Carry[2] + 8) / 16;
    }
    // w is 16 x the corrected value plus a remainder below 16, so a cell's bits come
    // straight from it; a channel outside 0..255 (a well-predicted branch) is redone.
    int wR = r * 16, wG = g * 16, wB = b * 16;
    RunningValues running(fs.Pending, fs.LastError);
    // The fields hold 7 x 255 more than -7 x the answer's colour; the correction takes it
    // off along with the rounding's 8.
    constexpr int Rounding = 8 - Entry::SevenWhite;
    const char* const tableBytes = reinterpret_cast<const char*>(table);
    const auto field = [](const char* row, uint32_t offset) {
        return int(*reinterpret_cast<const uint16_t*>(row + offset));
    };
    const auto pixel = [&](int i, auto hasNext) {
        // Red picks the cell's row of 32 entries and green | blue the entry's byte offset
        // in it. Each field is then loaded from its own row pointer + that offset, the
        // quickest address there is, and the row pointers wait only for red, which is
        // ready a step before green | blue.
        uint32_t red = uint32_t(wR >> 7);
        uint32_t greenBlue = (uint32_t(wG << 1) & 0x1F00u) | (uint32_t(wB << 6) & 0x3E000u);
        if (__builtin_expect(uint32_t(r) > 255u, 0)) {
            r = Clamp255(r);
            red = uint32_t(r >> 3);
        }
        if (__builtin_expect(uint32_t(g) > 255u, 0)) {
            g = Clamp255(g);
            greenBlue = (greenBlue & ~0x1F00u) | uint32_t(g >> 3) << 8;
        }
        if (__builtin_expect(uint32_t(b) > 255u, 0)) {
            b = Clamp255(b);
            greenBlue = (greenBlue & ~0x3E000u) | uint32_t(b >> 3) << 13;
        }
        const char* const row = tableBytes + sizeof(Entry) * size_t(red);
        int fR = field(Unfolded(row + offsetof(Entry, sevenBelowRed)), greenBlue);
        int fG = field(Unfolded(row + offsetof(Entry, sevenBelowGreen)), greenBlue);
        int fB = field(Unfolded(row + offsetof(Entry, sevenBelowBlue)), greenBlue);
        const int r7 = 7 * r, g7 = 7 * g, b7 = 7 * b;
        if (__builtin_expect(fR == Entry::Unanswered, 0)) {
            const Entry& entry = SearchDiffusionEntry(lookup, r, g, b, red | greenBlue / sizeof(Entry));
            fR = entry.sevenBelowRed;
            fG = entry.sevenBelowGreen;
            fB = entry.sevenBelowBlue;
        }
        int32_t* const colour = colours + 4 * i;
        colour[0] = r;
        colour[1] = g;
        colour[2] = b;
        cell[4 * Dir * i + 3] = int(sizeof(Entry) * red + greenBlue);
        if constexpr (!decltype(hasNext)::value)
            return;
        const int* next = cell + 4 * Dir * (i + 1);
        const TColor32 p = src[Dir * (i + 1)];
        const int tR = next[0] + Rounding + r7, tG = next[1] + Rounding + g7, tB = next[2] + Rounding + b7;
        const int uR = tR + 16 * int((p >> 16) & 0xFF), uG = tG + 16 * int((p >> 8) & 0xFF),
                  uB = tB + 16 * int(p & 0xFF);
        wR = tR + fR < 0 ? uR + fR + 15 : uR + fR;
        wG = tG + fG < 0 ? uG + fG + 15 : uG + fG;
        wB = tB + fB < 0 ? uB + fB + 15 : uB + fB;
        r = wR >> 4;
        g = wG >> 4;
        b = wB >> 4;
    };
    int i = 0;
    for (const int lead = std::min(Lag, count - 1); i < lead; ++i)
        pixel(i, std::true_type());
    for (; i < count - 1; ++i) {
        running.Apply(colours + 4 * (i - Lag), table, cell + 4 * Dir * (i - Lag), dst + Dir * (i - Lag));
        pixel(i, std::true_type());
    }
    pixel(count - 1, std::false_type());
    for (int k = std::max(count - 1 - Lag, 0); k < count; ++k)
        running.Apply(colours + 4 * k, table, cell + 4 * Dir * k, dst + Dir * k);
    running.Store(fs.Pending, fs.LastError);
    const int32_t* const lastColour = colours + 4 * (count - 1);
    const Entry& last = Answer(table, cell + 4 * Dir * (count - 1));
    fs.Carry[0] = 7 * lastColour[0] + last.sevenBelowRed - Entry::SevenWhite;
    fs.Carry[1] = 7 * lastColour[1] + last.sevenBelowGreen - Entry::SevenWhite;
    fs.Carry[2] = 7 * lastColour[2] + last.sevenBelowBlue - Entry::SevenWhite;
    fs.CursorCell += count * Dir;
    fs.CurrentColumn = first + count * Dir;
}

template <int Dir>
void FloydSteinbergRowBaseline(TFloydSteinbergDitherer& fs, TFastColorLookup& lookup, const TColor32* source,
                               uint8_t* indices)
{
    FloydSteinbergRow<Dir>(fs, lookup, source, indices);
}

// The same routine once more for processors with AVX: its three-operand forms of the
// same vector instructions drop the register copies that SSE2's two-operand forms need,
// about one instruction in fifteen of the loop.
#if defined(__x86_64__) && defined(__GNUC__)
#define TESSELKA_AVX_ROW_ROUTINE 1
template <int Dir>
[[gnu::target("avx")]] void FloydSteinbergRowAvx(TFloydSteinbergDitherer& fs, TFastColorLookup& lookup,
                                                 const TColor32* source, uint8_t* indices)
{
    FloydSteinbergRow<Dir>(fs, lookup, source, indices);
}
#endif

std::atomic<bool> avxRowRoutineAllowed{true};

#if defined(TESSELKA_AVX_ROW_ROUTINE)
bool UseAvxRowRoutine()
{
    static const bool processorHasAvx = __builtin_cpu_supports("avx");
    return processorHasAvx && avxRowRoutineAllowed.load(std::memory_order_relaxed);
}
#endif

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
    : TDitherEngine(lineWidth, colorLookup), storage_(new int[4 * (size_t(lineWidth) + 2)]()),
      rowColours_(new int32_t[4 * size_t(lineWidth)]())
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
    auto* row = ScanDirection == 1 ? FloydSteinbergRowBaseline<1> : FloydSteinbergRowBaseline<-1>;
#if defined(TESSELKA_AVX_ROW_ROUTINE)
    if (UseAvxRowRoutine())
        row = ScanDirection == 1 ? FloydSteinbergRowAvx<1> : FloydSteinbergRowAvx<-1>;
#endif
    row(*this, *fastLookup_, source, indices);
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

void AllowAvxRowRoutine(bool allowed)
{
    avxRowRoutineAllowed.store(allowed, std::memory_order_relaxed);
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
