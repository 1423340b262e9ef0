#include "workflow/row_stream.h"

#include "common/error.h"

#include <QtGlobal>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tesselka {

namespace {

// About this many bytes of pixels per block of rows: the blocks in the queue stay in the
// cache between the two threads, and the queue's handovers are few.
constexpr size_t BlockBytes = 256 * 1024;
// Blocks in all: the reader fills some while the ditherer works through the others.
constexpr int BlockCount = 4;

struct Block
{
    std::vector<TColor32> pixels;
    int first = 0;
    int count = 0;
};

// The blocks going round between the reading thread and the dithering one.
class BlockQueue
{
public:
    BlockQueue(int count, size_t pixels) : blocks_(size_t(count))
    {
        for (Block& b : blocks_) {
            b.pixels.resize(pixels);
            free_.push_back(&b);
        }
    }

    // Reader: an empty block, or nullptr once the ditherer has stopped.
    Block* Empty()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return stopped_ || !free_.empty(); });
        if (stopped_)
            return nullptr;
        Block* b = free_.front();
        free_.pop_front();
        return b;
    }
    void Fill(Block* b) { Put(full_, b); }
    // Reader: no more blocks, and why when it failed.
    void Close(std::exception_ptr error)
    {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
            error_ = std::move(error);
        }
        changed_.notify_all();
    }

    // Ditherer: the next full block, or nullptr at the end (or when the reader failed).
    Block* Next()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return closed_ || !full_.empty(); });
        if (full_.empty() || error_)
            return nullptr;
        Block* b = full_.front();
        full_.pop_front();
        return b;
    }
    void Done(Block* b) { Put(free_, b); }
    // Ditherer: it reads no more; the reader stops at its next block.
    void Stop()
    {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        changed_.notify_all();
    }

    std::exception_ptr Error()
    {
        std::lock_guard lock(mutex_);
        return error_;
    }

private:
    // Hands a block to the other side.
    void Put(std::deque<Block*>& to, Block* b)
    {
        {
            std::lock_guard lock(mutex_);
            to.push_back(b);
        }
        changed_.notify_all();
    }

    std::vector<Block> blocks_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block*> free_;
    std::deque<Block*> full_;
    bool closed_ = false;
    bool stopped_ = false;
    std::exception_ptr error_;
};

void ReadAndTone(PictureRows& rows, const ToneSettings& settings, const RowSink& adjusted, int blockRows,
                 BlockQueue& queue)
{
    try {
        const ToneAdjuster tone(settings);
        const bool neutral = settings.Neutral(); // loaded pictures are opaque: nothing to do
        const int width = rows.Width(), height = rows.Height();
        for (int y = 0; y < height;) {
            Block* b = queue.Empty();
            if (!b)
                break;
            b->first = y;
            b->count = std::min(blockRows, height - y);
            rows.Read(b->pixels.data(), b->count);
            if (!neutral)
                tone.Apply(b->pixels.data(), b->pixels.data(), size_t(b->count) * size_t(width));
            if (adjusted)
                adjusted(b->pixels.data(), b->count);
            y += b->count;
            queue.Fill(b);
        }
        queue.Close(nullptr);
    } catch (...) {
        queue.Close(std::current_exception());
    }
}

} // namespace

bool StreamToStudGrids(PictureRows& rows, const ToneSettings& tone, const ReductionPalette& palette,
                       const DitherRequest& request, const RowStreamOutputs& outputs, std::optional<StudGrids>& grids,
                       const StepProgress& progress)
{
    Q_ASSERT(request.mixGrid == DitherRequest::MixGrid::None);
    grids.reset();
    const int width = rows.Width(), height = rows.Height();
    if (width == 0 || height == 0)
        throw Error("Invalid image dimensions");
    RowReduction reduction(width, ReduceCustomPalette, request.kind, palette, request.matching);
    StudGrids made;
    std::optional<GridRowSampler> sampler;
    if (!reduction.Empty()) {
        made.plan = *PlanGrid(width, height, request.studsWide, request.cell.width, request.cell.height, false);
        made.studImage.SetSize(made.plan.targetWidth, made.plan.targetHeight);
        sampler.emplace(width, height, reduction.Palette(), made.studImage);
    }
    TColor32 colors[256];
    PaletteColors(reduction.Palette(), colors);

    const int blockRows = int(std::clamp<size_t>(BlockBytes / (size_t(width) * sizeof(TColor32)), 1, size_t(height)));
    BlockQueue queue(BlockCount, size_t(blockRows) * size_t(width));
    std::thread reader(ReadAndTone, std::ref(rows), std::cref(tone), std::cref(outputs.adjusted), blockRows,
                       std::ref(queue));
    // The reader is stopped and joined however this thread leaves.
    struct Joiner
    {
        BlockQueue& queue;
        std::thread& thread;
        ~Joiner()
        {
            queue.Stop();
            if (thread.joinable())
                thread.join();
        }
    } joiner{queue, reader};

    std::vector<uint8_t> indices(size_t(blockRows) * size_t(width));
    std::vector<TColor32> dithered(outputs.dithered && !reduction.Empty() ? indices.size() : 0);
    bool cancelled = false;
    while (Block* b = queue.Next()) {
        if (!reduction.Empty() && !cancelled) {
            for (int i = 0; i < b->count; ++i) {
                const int y = b->first + i;
                uint8_t* row = indices.data() + size_t(i) * size_t(width);
                reduction.Next(b->pixels.data() + size_t(i) * size_t(width), row);
                sampler->AddRow(y, row);
                if (progress && ((y + 1) % 64 == 0 || y + 1 == height) && !progress(y + 1, height)) {
                    cancelled = true;
                    break;
                }
            }
            if (!cancelled && outputs.dithered) {
                const size_t n = size_t(b->count) * size_t(width);
                for (size_t i = 0; i < n; ++i)
                    dithered[i] = colors[indices[i]];
                outputs.dithered(dithered.data(), b->count);
            }
        }
        queue.Done(b);
        if (cancelled)
            break;
    }
    queue.Stop();
    reader.join();
    if (std::exception_ptr error = queue.Error())
        std::rethrow_exception(error);
    if (cancelled)
        return false;
    if (!reduction.Empty())
        grids = std::move(made);
    return true;
}

} // namespace tesselka
