#include "formats/png_writer.h"

#include "common/atomic_file.h"
#include "common/error.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>

namespace tesselka {

namespace {

// libdeflate's level 2: on the 24-megapixel photo and its dithered picture it writes
// files as small as zlib's level 4 in about 40% of the time, and within 5% of what
// libpng's defaults (zlib level 6) write.
constexpr int CompressionLevel = 2;
// The filter trial only ranks the filters, so the fastest level will do.
constexpr int TrialLevel = 1;
// Bytes of each band that the filter trial compresses per filter: enough rows to show
// the runs and repeats that deflate finds, little next to the band itself.
constexpr size_t TrialBytes = 48 * 1024;
// About 2 MB of pixels per band: a few dozen bands for a large photo, so every core has
// work to the end and progress moves smoothly, while the dictionary each band starts
// without costs well under 1% of the file.
constexpr size_t BandBytes = size_t(2) << 20;
constexpr size_t MaxIdatBytes = 256 * 1024;

// The deflate of the zlib header: 32 KB window, "fast" level, no dictionary. The two
// bytes make a multiple of 31 as the format asks.
constexpr uint8_t ZlibHeader[2] = {0x78, 0x5E};

// Filter types of the format. Average and Paeth are left out: on dithered pictures None
// wins, on photographs Up, and both of the others cost more to compute than they gain.
enum Filter : uint8_t {
    FilterNone = 0,
    FilterSub = 1,
    FilterUp = 2,
};

constexpr int BytesPerPixel = 3;

void FilterRow(Filter filter, const uint8_t* row, const uint8_t* above, size_t size, uint8_t* out)
{
    *out++ = filter;
    switch (filter) {
    case FilterNone:
        std::memcpy(out, row, size);
        break;
    case FilterSub:
        for (size_t i = 0; i < std::min<size_t>(size, BytesPerPixel); ++i)
            out[i] = row[i];
        for (size_t i = BytesPerPixel; i < size; ++i)
            out[i] = uint8_t(row[i] - row[i - BytesPerPixel]);
        break;
    case FilterUp:
        for (size_t i = 0; i < size; ++i)
            out[i] = uint8_t(row[i] - above[i]);
        break;
    }
}

void ToRgb(const TColor32* pixels, int width, uint8_t* out)
{
    for (int x = 0; x < width; ++x, out += 3) {
        const TColor32 c = pixels[x];
        out[0] = uint8_t(c >> 16);
        out[1] = uint8_t(c >> 8);
        out[2] = uint8_t(c);
    }
}

void PutBigEndian(uint8_t* at, uint32_t v)
{
    at[0] = uint8_t(v >> 24);
    at[1] = uint8_t(v >> 16);
    at[2] = uint8_t(v >> 8);
    at[3] = uint8_t(v);
}

class Deflater
{
public:
    explicit Deflater(int level) : compressor_(libdeflate_alloc_compressor(level))
    {
        if (!compressor_)
            throw std::bad_alloc();
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
    ~Deflater() { libdeflate_free_compressor(compressor_); }

    // Appends a whole raw deflate stream of `data` to `out`.
    void Compress(const uint8_t* data, size_t size, std::vector<uint8_t>& out)
    {
        const size_t used = out.size();
        out.resize(used + libdeflate_deflate_compress_bound(compressor_, size));
        const size_t n = libdeflate_deflate_compress(compressor_, data, size, out.data() + used, out.size() - used);
        if (n == 0)
            throw Error("PNG: the compressor failed");
        out.resize(used + n);
    }

private:
    libdeflate_compressor* compressor_;
};

// Turns a whole raw deflate stream into one that later streams may continue, as a sync
// flush would have left it: clears the final block's "last" bit and ends the stream on
// a byte boundary with an empty stored block. libdeflate has no flush of its own, and
// the final block's header can be anywhere, so zlib's inflater walks the blocks to find it.
class StreamOpener
{
public:
    StreamOpener()
    {
        if (inflateInit2(&stream_, -15) != Z_OK)
            throw std::bad_alloc();
    }
    StreamOpener(const StreamOpener&) = delete;
    StreamOpener& operator=(const StreamOpener&) = delete;
    ~StreamOpener() { inflateEnd(&stream_); }

    // The stream is out[from..]; its bytes may change and a few are added.
    void Open(std::vector<uint8_t>& out, size_t from)
    {
        inflateReset(&stream_);
        uint8_t* const start = out.data() + from;
        stream_.next_in = start;
        stream_.avail_in = uInt(out.size() - from);
        // Positions in bits from `start`; the first block's header is at 0.
        size_t lastHeader = 0;
        size_t end = 0;
        for (;;) {
            stream_.next_out = junk_;
            stream_.avail_out = sizeof junk_;
            // Z_BLOCK returns at every block boundary (flag 128), with the bits of the
            // last byte read that are still unused in data_type's low three bits. Flag
            // 64 says the block just read was the last: then the boundary is the end.
            // A boundary reached without reading or writing a byte reports Z_BUF_ERROR.
            const int result = inflate(&stream_, Z_BLOCK);
            if (result != Z_OK && result != Z_BUF_ERROR)
                throw Error("PNG: the compressed data failed its check");
            if (stream_.data_type & 128) {
                if (stream_.data_type & 64) {
                    end = BitsRead(start);
                    break;
                }
                lastHeader = BitsRead(start);
            } else if (result == Z_BUF_ERROR) {
                throw Error("PNG: the compressed data is cut short");
            }
        }
        start[lastHeader / 8] &= uint8_t(~(1u << (lastHeader % 8)));
        const unsigned tail = end % 8;
        out.resize(from + (end + 7) / 8);
        if (tail)
            out.back() &= uint8_t((1u << tail) - 1);
        // A stored block's three header bits (not last, type 0) are zero: they fit in
        // the last byte's unused bits, or take a byte of their own. Then, on the byte
        // boundary, its empty length and the length's complement.
        if (tail == 0 || tail > 5)
            out.push_back(0);
        out.insert(out.end(), {0x00, 0x00, 0xFF, 0xFF});
    }

private:
    size_t BitsRead(const uint8_t* start) const
    {
        return size_t(stream_.next_in - start) * 8 - size_t(stream_.data_type & 7);
    }

    z_stream stream_{};
    uint8_t junk_[256 * 1024];
};

void CheckSize(int width, int height)
{
    if (width < 1 || height < 1 || !Bitmap32::SizeAllowed(width, height))
        throw Error("A picture of " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels cannot be saved as PNG");
}

// What one compressing thread keeps between bands.
struct Compressor
{
    Deflater trial{TrialLevel};
    Deflater main{CompressionLevel};
    StreamOpener opener;
    std::vector<uint8_t> filtered;
    std::vector<uint8_t> trialOut;
};

struct Band
{
    int firstRow = 0;
    int rows = 0;
    bool last = false;
    // The row above the band (zero above the picture's first row), then the band's
    // rows, as RGB bytes.
    std::vector<uint8_t> raw;
    // The band's deflate, after the zlib header for the first band.
    std::vector<uint8_t> packed;
    uint32_t adler = 1;
    size_t filteredSize = 0;
    std::exception_ptr error;
    bool done = false;
};

// The filter that makes the band smallest, judged by compressing a few rows from its
// middle each way: a per-row guess from the filtered bytes alone (libpng's sum of
// differences) picks Sub or a mix for dithered pictures, whose rows compress best
// unfiltered. A whole band shares its filter, so the trial's cost stays small.
Filter ChooseFilter(const Band& band, size_t rowBytes, Compressor& c)
{
    const size_t filteredRow = rowBytes + 1;
    const int sampleRows = int(std::min<size_t>(size_t(band.rows), (TrialBytes + filteredRow - 1) / filteredRow));
    const int first = (band.rows - sampleRows) / 2;
    Filter best = FilterNone;
    size_t bestSize = SIZE_MAX;
    for (Filter f : {FilterNone, FilterSub, FilterUp}) {
        c.filtered.resize(size_t(sampleRows) * filteredRow);
        for (int i = 0; i < sampleRows; ++i) {
            const uint8_t* row = band.raw.data() + size_t(first + i + 1) * rowBytes;
            FilterRow(f, row, row - rowBytes, rowBytes, c.filtered.data() + size_t(i) * filteredRow);
        }
        c.trialOut.clear();
        c.trial.Compress(c.filtered.data(), std::min(c.filtered.size(), TrialBytes), c.trialOut);
        if (c.trialOut.size() < bestSize) {
            bestSize = c.trialOut.size();
            best = f;
        }
    }
    return best;
}

void CompressBand(Band& band, size_t rowBytes, Compressor& c)
{
    try {
        const Filter filter = ChooseFilter(band, rowBytes, c);
        const size_t filteredRow = rowBytes + 1;
        band.filteredSize = size_t(band.rows) * filteredRow;
        c.filtered.resize(band.filteredSize);
        for (int i = 0; i < band.rows; ++i) {
            const uint8_t* row = band.raw.data() + size_t(i + 1) * rowBytes;
            FilterRow(filter, row, row - rowBytes, rowBytes, c.filtered.data() + size_t(i) * filteredRow);
        }
        band.adler = libdeflate_adler32(1, c.filtered.data(), band.filteredSize);
        band.packed.clear();
        if (band.firstRow == 0)
            band.packed.assign(std::begin(ZlibHeader), std::end(ZlibHeader));
        const size_t from = band.packed.size();
        c.main.Compress(c.filtered.data(), band.filteredSize, band.packed);
        if (!band.last)
            c.opener.Open(band.packed, from);
    } catch (...) {
        band.error = std::current_exception();
    }
}

} // namespace

struct PngWriter::State
{
    int width = 0;
    int height = 0;
    size_t rowBytes = 0;
    int bandRows = 0;
    int threads = 1;
    size_t maxInFlight = 1;
    Sink sink;
    PngProgress progress;

    int rowsAdded = 0;
    int rowsWritten = 0;
    bool stopped = false;
    bool broken = false;
    uint32_t adler = 1;
    std::vector<uint8_t> chunk;

    // The band being filled, the bands handed out (in file order), spare bands to reuse.
    std::unique_ptr<Band> filling;
    int filled = 0;
    std::deque<std::unique_ptr<Band>> inFlight;
    std::vector<std::unique_ptr<Band>> spare;
    std::unique_ptr<Compressor> own;

    std::mutex mutex;
    std::condition_variable work;
    std::condition_variable finished;
    std::deque<Band*> queue;
    bool quit = false;
    std::vector<std::thread> workers;

    ~State()
    {
        {
            std::lock_guard lock(mutex);
            quit = true;
        }
        work.notify_all();
        for (std::thread& t : workers)
            t.join();
    }

    void Worker()
    {
        Compressor c;
        std::unique_lock lock(mutex);
        for (;;) {
            work.wait(lock, [this] { return quit || !queue.empty(); });
            if (quit)
                return;
            Band* band = queue.front();
            queue.pop_front();
            lock.unlock();
            CompressBand(*band, rowBytes, c);
            lock.lock();
            band->done = true;
            finished.notify_all();
        }
    }

    void WriteChunk(const char type[4], const uint8_t* data, size_t size)
    {
        chunk.resize(12 + size);
        PutBigEndian(chunk.data(), uint32_t(size));
        std::memcpy(chunk.data() + 4, type, 4);
        if (size)
            std::memcpy(chunk.data() + 8, data, size);
        PutBigEndian(chunk.data() + 8 + size, libdeflate_crc32(0, chunk.data() + 4, 4 + size));
        sink(chunk.data(), chunk.size());
    }

    void WriteHeader()
    {
        static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        sink(signature, sizeof signature);
        uint8_t ihdr[13] = {};
        PutBigEndian(ihdr, uint32_t(width));
        PutBigEndian(ihdr + 4, uint32_t(height));
        ihdr[8] = 8; // bits per sample
        ihdr[9] = 2; // RGB; compression, filter method and interlace stay 0
        WriteChunk("IHDR", ihdr, sizeof ihdr);
    }

    // A band for the rows after `previous` (the picture's first rows when null).
    void StartBand(const Band* previous)
    {
        const int first = previous ? previous->firstRow + previous->rows : 0;
        std::unique_ptr<Band> band;
        if (!spare.empty()) {
            band = std::move(spare.back());
            spare.pop_back();
        } else {
            band = std::make_unique<Band>();
        }
        band->firstRow = first;
        band->rows = std::min(bandRows, height - first);
        band->last = first + band->rows == height;
        band->error = nullptr;
        band->done = false;
        band->raw.resize(size_t(band->rows + 1) * rowBytes);
        if (previous)
            std::memcpy(band->raw.data(), previous->raw.data() + size_t(previous->rows) * rowBytes, rowBytes);
        else
            std::memset(band->raw.data(), 0, rowBytes);
        filling = std::move(band);
        filled = 0;
    }

    void Dispatch()
    {
        std::unique_ptr<Band> band = std::move(filling);
        Band* b = band.get();
        if (threads == 1 || (b->firstRow == 0 && b->last)) {
            if (!own)
                own = std::make_unique<Compressor>();
            CompressBand(*b, rowBytes, *own);
            b->done = true;
        } else {
            std::lock_guard lock(mutex);
            // A thread per core, started once the picture turns out to need it.
            if (workers.size() < size_t(threads))
                workers.emplace_back([this] { Worker(); });
            queue.push_back(b);
        }
        work.notify_one();
        inFlight.push_back(std::move(band));
        // The compressing thread only reads the band's rows, so its last row may be
        // copied while it works.
        if (!b->last)
            StartBand(b);
    }

    // Writes the bands that are done, in order, waiting for the oldest while more than
    // `keep` are handed out. Returns false when progress stopped the writing.
    bool Drain(size_t keep)
    {
        while (!inFlight.empty()) {
            Band* band = inFlight.front().get();
            {
                std::unique_lock lock(mutex);
                if (inFlight.size() > keep)
                    finished.wait(lock, [band] { return band->done; });
                else if (!band->done)
                    return true;
            }
            Emit(*band);
            spare.push_back(std::move(inFlight.front()));
            inFlight.pop_front();
            if (progress && !progress(rowsWritten, height)) {
                stopped = true;
                return false;
            }
        }
        return true;
    }

    void Emit(Band& band)
    {
        if (band.error)
            std::rethrow_exception(band.error);
        adler = uint32_t(adler32_combine(adler, band.adler, z_off_t(band.filteredSize)));
        if (band.last) {
            const size_t at = band.packed.size();
            band.packed.resize(at + 4);
            PutBigEndian(band.packed.data() + at, adler);
        }
        for (size_t at = 0; at < band.packed.size(); at += MaxIdatBytes)
            WriteChunk("IDAT", band.packed.data() + at, std::min(MaxIdatBytes, band.packed.size() - at));
        rowsWritten += band.rows;
        if (band.last)
            WriteChunk("IEND", nullptr, 0);
    }
};

PngWriter::PngWriter(int width, int height, Sink sink, PngProgress progress, PngWriterOptions options)
    : state_(std::make_unique<State>())
{
    CheckSize(width, height);
    State& s = *state_;
    s.width = width;
    s.height = height;
    s.rowBytes = size_t(width) * BytesPerPixel;
    s.bandRows = options.bandRows > 0 ? options.bandRows : int(std::max<size_t>(1, BandBytes / s.rowBytes));
    s.threads = options.threads > 0 ? options.threads : int(std::max(1u, std::thread::hardware_concurrency()));
    // Two bands per thread: one being compressed, one waiting, so no thread idles while
    // the writing thread gathers rows or writes the file.
    s.maxInFlight = size_t(2 * s.threads);
    s.sink = std::move(sink);
    s.progress = std::move(progress);
    s.WriteHeader();
    s.StartBand(nullptr);
}

PngWriter::~PngWriter() = default;

bool PngWriter::AddRows(const TColor32* rows, ptrdiff_t stride, int count)
{
    State& s = *state_;
    if (s.stopped)
        return false;
    if (s.broken)
        throw std::logic_error("PngWriter used after a failure");
    if (count < 0 || count > s.height - s.rowsAdded)
        throw std::invalid_argument("PngWriter: more rows than the picture has");
    s.broken = true;
    for (int i = 0; i < count; ++i) {
        Band& band = *s.filling;
        ToRgb(rows + ptrdiff_t(i) * stride, s.width, band.raw.data() + size_t(s.filled + 1) * s.rowBytes);
        ++s.rowsAdded;
        if (++s.filled == band.rows) {
            s.Dispatch();
            if (!s.Drain(s.maxInFlight - 1)) {
                s.broken = false;
                return false;
            }
        }
    }
    s.broken = false;
    return true;
}

bool PngWriter::Finish()
{
    State& s = *state_;
    if (s.stopped)
        return false;
    if (s.broken)
        throw std::logic_error("PngWriter used after a failure");
    if (s.rowsAdded != s.height)
        throw std::invalid_argument("PngWriter: the picture's rows are not all there");
    s.broken = true;
    const bool complete = s.Drain(0);
    s.broken = false;
    return complete;
}

std::vector<uint8_t> EncodePng(const Bitmap32& bitmap, const PngWriterOptions& options)
{
    std::vector<uint8_t> out;
    PngWriter writer(
        bitmap.Width(), bitmap.Height(),
        [&out](const uint8_t* bytes, size_t size) { out.insert(out.end(), bytes, bytes + size); }, {}, options);
    writer.AddRows(bitmap.Bits(), bitmap.Width(), bitmap.Height());
    writer.Finish();
    return out;
}

namespace {

bool WritePngFile(int width, int height, const std::string& path, const PngProgress& progress,
                  const std::function<bool(PngWriter&)>& addRows)
{
    // A picture that cannot be written makes no file.
    CheckSize(width, height);
    AtomicFile file(path, "Cannot create file " + path);
    PngWriter writer(
        width, height,
        [&file](const uint8_t* bytes, size_t size) {
            file.Write(std::string_view(reinterpret_cast<const char*>(bytes), size));
        },
        progress);
    if (!addRows(writer) || !writer.Finish())
        return false;
    file.Commit();
    return true;
}

} // namespace

bool SavePng(const Bitmap32& bitmap, const std::string& path, const PngProgress& progress)
{
    return WritePngFile(bitmap.Width(), bitmap.Height(), path, progress, [&bitmap](PngWriter& writer) {
        return writer.AddRows(bitmap.Bits(), bitmap.Width(), bitmap.Height());
    });
}

bool SavePngRows(int width, int height, const PngRowMaker& makeRows, const std::string& path,
                 const PngProgress& progress)
{
    return WritePngFile(width, height, path, progress, [&](PngWriter& writer) {
        // About 64 KB of rows at a time: they are still in the cache when the writer
        // copies them.
        const int step = std::max(1, int(65536 / (size_t(width) * sizeof(TColor32))));
        std::vector<TColor32> rows(size_t(width) * size_t(std::min(step, height)));
        for (int y = 0; y < height; y += step) {
            const int count = std::min(step, height - y);
            makeRows(y, count, rows.data());
            if (!writer.AddRows(rows.data(), width, count))
                return false;
        }
        return true;
    });
}

struct PngFileWriter::State
{
    State(int width, int height, const std::string& path)
        : file(path, "Cannot create file " + path),
          writer(width, height,
                 [this](const uint8_t* bytes, size_t size) {
                     file.Write(std::string_view(reinterpret_cast<const char*>(bytes), size));
                 }),
          width(width)
    {
    }

    AtomicFile file;
    PngWriter writer;
    int width;
};

PngFileWriter::PngFileWriter(int width, int height, const std::string& path)
{
    // A picture that cannot be written makes no file.
    CheckSize(width, height);
    state_ = std::make_unique<State>(width, height, path);
}

PngFileWriter::~PngFileWriter() = default;

void PngFileWriter::AddRows(const TColor32* rows, int count)
{
    state_->writer.AddRows(rows, state_->width, count);
}

void PngFileWriter::Finish()
{
    state_->writer.Finish();
    state_->file.Commit();
}

} // namespace tesselka
