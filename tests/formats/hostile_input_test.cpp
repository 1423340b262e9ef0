// Files made to hurt the readers: each is built here, read in a child process whose
// address space is capped, and must give its clear message without taking the memory it
// asks for (or blocking on a pipe). Then the command line on a few of them: one line of
// its own on standard error and exit status 1, nothing from the libraries.
#include "colours/color_table.h"
#include "common/error.h"
#include "common/input_file.h"
#include "formats/picture_io.h"
#include "ldraw/model_reader.h"
#include "settings/ini_file.h"
#include "support/test_paths.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <functional>
#include <sstream>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tesselka;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
#else
constexpr bool Sanitized = false;
#endif

// Room a reader may take beyond what the test program already holds.
constexpr long long MemoryBound = 384LL << 20;

// Runs `work` in a child whose address space may grow by MemoryBound at most, and
// returns its message (or "crashed"/"blocked"). The sanitizer's shadow memory cannot
// live under such a cap, so there the work runs in this process, unbounded.
std::string Bounded(const std::function<std::string()>& work)
{
    auto run = [&work]() -> std::string {
        try {
            return work();
        } catch (const std::bad_alloc&) {
            return "out of memory";
        } catch (const std::exception& e) {
            return e.what();
        }
    };
    if (Sanitized)
        return run();
    int fds[2];
    if (::pipe(fds) != 0)
        return "no pipe";
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    statm >> pages;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        const rlim_t cap = rlim_t(pages * ::sysconf(_SC_PAGESIZE) + MemoryBound);
        const rlimit limit{cap, cap};
        ::setrlimit(RLIMIT_AS, &limit);
        ::alarm(30); // a reader that blocks is a failure, not a hung test
        const std::string message = run();
        (void)!::write(fds[1], message.data(), message.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string message;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        message.append(buffer, size_t(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        return WTERMSIG(status) == SIGALRM ? "blocked" : "crashed";
    return message;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Be32(uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Chunk(const std::string& type, const std::string& data, uint32_t claimed = 0)
{
    const std::string body = type + data;
    const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size())));
    return Be32(claimed ? claimed : uint32_t(data.size())) + body + Be32(crc);
}

// Deflated zeros, made piecewise: a small chunk that expands to `size` bytes.
std::string ZeroBomb(size_t size)
{
    z_stream z{};
    deflateInit(&z, 9);
    std::string zeros(1 << 20, '\0'), out;
    char buffer[1 << 16];
    for (size_t done = 0; done < size; done += zeros.size()) {
        z.next_in = reinterpret_cast<Bytef*>(zeros.data());
        z.avail_in = uInt(zeros.size());
        const int flush = done + zeros.size() >= size ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            deflate(&z, flush);
            out.append(buffer, sizeof buffer - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

// A 2 x 2 RGB picture with `before` and `after` its picture data.
std::string Png(const std::string& before, const std::string& after = {})
{
    const std::string ihdr = Be32(2) + Be32(2) + std::string("\x08\x02\x00\x00\x00", 5);
    const std::string rows =
        std::string(1, '\0') + std::string(6, '\x40') + std::string(1, '\0') + std::string(6, '\x80');
    std::string packed(compressBound(uLong(rows.size())), '\0');
    uLongf length = packed.size();
    compress(reinterpret_cast<Bytef*>(packed.data()), &length, reinterpret_cast<const Bytef*>(rows.data()),
             uLong(rows.size()));
    packed.resize(length);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + before + Chunk("IDAT", packed) + after +
           Chunk("IEND", "");
}

std::string LoadedSize(const std::string& path)
{
    const Bitmap32 picture = LoadPicture(path);
    return "loaded " + std::to_string(picture.Width()) + " x " + std::to_string(picture.Height());
}

std::string ReadTable(const std::string& path)
{
    ColorTable table;
    const std::optional<ColorTableReadResult> result = LoadColorTableFile(path, table);
    if (!result)
        return "missing";
    return result->error ? *result->error : "read " + std::to_string(result->linesRead);
}

std::string ReadModelText(const std::string& text)
{
    ColorTable table;
    Bitmap32 studs, source;
    TColor color = 0;
    ModelReadTarget target{studs, source, color, [](const std::string&) {}, [](const std::string&) {}};
    std::istringstream in(text);
    ReadModel(in, table, target);
    return "read " + std::to_string(studs.Width()) + " x " + std::to_string(studs.Height());
}

std::string ModelHeader(int width, int height, int oWidth, int oHeight)
{
    auto line = [](const char* key, int v) {
        return "0 Tesselka " + std::string(key) + " : " + std::to_string(v) + "\n";
    };
    return "0 A Tesselka Mosaic\n" + line("Width", width) + line("Height", height) + line("OWidth", oWidth) +
           line("OHeight", oHeight) + "0 Tesselka Style : 1x Plates - studs up\n";
}

} // namespace

TEST(HostileInput, EachIsRefusedClearlyWithinBoundedMemory)
{
    QTemporaryDir dir;
    auto at = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)).toStdString(); };

    // Pictures made on the spot.
    WriteBytes(at("text.png"), Png(Chunk("tEXt", "Comment", 0x7FFFFF00)));
    WriteBytes(at("trailing.png"), Png({}, Chunk("zTXt", "x", 0x7FFFFF00)));
    WriteBytes(at("profile.png"), Png(Chunk("iCCP", std::string("icc\0\0", 5) + ZeroBomb(size_t(1) << 30))));
    WriteBytes(at("zero.png"), "");
    const std::string png = Png({});
    WriteBytes(at("cut.png"), png.substr(0, png.size() - 20));
    Bitmap32 small(40, 30);
    small.Clear(clWhite32);
    SaveBmp32(small, at("whole.bmp"));
    const std::string bmp = ReadBytes(at("whole.bmp"));
    WriteBytes(at("cut.bmp"), bmp.substr(0, bmp.size() / 2));
    std::string farOffset = bmp;
    farOffset[10] = '\xFF';
    farOffset[11] = '\xFF';
    WriteBytes(at("offset.bmp"), farOffset);
    const std::string gif = ReadBytes(test::DataFile("pictures/animated.gif"));
    WriteBytes(at("cut.gif"), gif.substr(0, 70));
    const std::string ico = ReadBytes(test::DataFile("pictures/icon.ico"));
    WriteBytes(at("cut.ico"), ico.substr(0, ico.size() / 2));
    // The fuzzers' finds: a BMP header cut off inside or of an odd size, a GIF picture with no data (Qt
    // made a picture of 32 megapixels of it), a WMF header asking for a 3.8 GB record and a bitmap record asking for 12
    // GB.
    auto found = [](const char* name) { return ReadBytes(test::DataFile(std::string("../../fuzz/corpus/") + name)); };
    WriteBytes(at("found.bmp"), found("fuzz_bmp/huge_height_short_header"));
    WriteBytes(at("odd.bmp"), found("fuzz_bmp/odd_header_size"));
    WriteBytes(at("found.gif"), found("fuzz_gif/empty_image_data"));
    WriteBytes(at("found.wmf"), found("fuzz_wmf/huge_record_size"));
    WriteBytes(at("bitmap.wmf"), found("fuzz_wmf/huge_bitmap_record"));
    // Things that are not files where a file is expected.
    ::mkdir(at("folder.png").c_str(), 0755);
    ::mkfifo(at("pipe.png").c_str(), 0644);
    ::mkfifo(at("pipe.ldr").c_str(), 0644);
    ::mkfifo(at("pipe.ini").c_str(), 0644);
    ::symlink("/dev/zero", at("zero.jpg").c_str());
    // Text files with values far beyond their use.
    WriteBytes(at("longname.ldr"), "0 !COLOUR " + std::string(10 << 20, 'N') + " CODE 4 VALUE #FF0000\n");
    WriteBytes(at("longcode.ldr"), "0 !COLOUR Red CODE 4 VALUE #FF0000\n0 !COLOUR Blue CODE " + std::string(1000, '1') +
                                       " VALUE #0000FF\n");

    struct Case
    {
        const char* what;
        std::function<std::string()> work;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"PNG text chunk claiming 2 GB", [&] { return LoadedSize(at("text.png")); },
         "PNG: the tEXt chunk claims 2147483392 bytes, more than the file holds"},
        {"PNG damaged chunk after the picture data", [&] { return LoadedSize(at("trailing.png")); }, "loaded 2 x 2"},
        {"PNG colour profile inflating to 1 GB", [&] { return LoadedSize(at("profile.png")); }, "loaded 2 x 2"},
        {"PNG of no bytes", [&] { return LoadedSize(at("zero.png")); }, "PNG: the file is empty"},
        {"PNG cut short", [&] { return LoadedSize(at("cut.png")); }, "PNG: file is truncated"},
        {"BMP whole", [&] { return LoadedSize(at("whole.bmp")); }, "loaded 40 x 30"},
        {"BMP cut short", [&] { return LoadedSize(at("cut.bmp")); }, "BMP: file is truncated"},
        {"BMP pixels beyond the file", [&] { return LoadedSize(at("offset.bmp")); }, "BMP: file is truncated"},
        {"GIF cut short", [&] { return LoadedSize(at("cut.gif")); }, "GIF: file is truncated"},
        {"ICO cut short", [&] { return LoadedSize(at("cut.ico")); }, "ICO: file is truncated"},
        {"BMP header cut off", [&] { return LoadedSize(at("found.bmp")); }, "BMP: file is truncated"},
        {"BMP of 47 bytes with an 8-byte header", [&] { return LoadedSize(at("odd.bmp")); }, "BMP: file is truncated"},
        {"GIF without picture data", [&] { return LoadedSize(at("found.gif")); }, "GIF: file is truncated"},
        {"WMF asking for a 3.8 GB record", [&] { return LoadedSize(at("found.wmf")); },
         "WMF: Damaged header (it claims a record of 3872053970 bytes, more than the file holds)"},
        {"WMF bitmap record asking for 12 GB", [&] { return LoadedSize(at("bitmap.wmf")); },
         "WMF: The metafile asks for more than 1 GB of memory"},
        {"folder as picture", [&] { return LoadedSize(at("folder.png")); }, at("folder.png") + " is a folder"},
        {"pipe as picture", [&] { return LoadedSize(at("pipe.png")); }, at("pipe.png") + " is not a regular file"},
        {"device as picture", [&] { return LoadedSize(at("zero.jpg")); }, at("zero.jpg") + " is not a regular file"},
        {"folder as colour table", [&] { return ReadTable(at("folder.png")); }, at("folder.png") + " is a folder"},
        {"pipe as colour table", [&] { return ReadTable(at("pipe.ldr")); }, at("pipe.ldr") + " is not a regular file"},
        {"10 MB colour name", [&] { return ReadTable(at("longname.ldr")); },
         "Line 1: the colour name is longer than 64 characters"},
        {"1000-digit colour code", [&] { return ReadTable(at("longcode.ldr")); },
         "Line 2: the colour's code or value is longer than 32 characters"},
        {"pipe as settings", [&] { return IniFile::Load(at("pipe.ini")).Text(); },
         at("pipe.ini") + " is not a regular file"},
        {"model of two 400-megapixel pictures", [&] { return ReadModelText(ModelHeader(131072, 3051, 131072, 3051)); },
         "The model's Width (131072) is not a picture size"},
        {"model taller than its picture allows", [&] { return ReadModelText(ModelHeader(4000, 100000, 400, 300)); },
         "The model's Height (100000) is not a picture size"},
        {"model as tall as its picture gives", [&] { return ReadModelText(ModelHeader(400, 751, 400, 300)); },
         "read 400 x 751"},
        {"model line of 1 MB", [&] { return ReadModelText("0 Tesselka\n0 " + std::string(1 << 20, 'x')); },
         "Line 2 of the model is longer than 8192 characters"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bounded(c.work), c.expected) << c.what;
}

TEST(HostileInput, TheCommandLineSaysOneLineAndNeverBlocks)
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe.png"));
    ::mkfifo(QFile::encodeName(pipe).constData(), 0644);
    const QString folder = dir.filePath(QStringLiteral("folder.ldr"));
    QDir().mkpath(folder);
    const QString picture = dir.filePath(QStringLiteral("in.bmp"));
    Bitmap32 small(40, 30);
    small.Clear(clWhite32);
    SaveBmp32(small, picture.toStdString());
    const QString cut = dir.filePath(QStringLiteral("cut.ico"));
    WriteBytes(cut.toStdString(), ReadBytes(test::DataFile("pictures/icon.ico")).substr(0, 700));

    struct Case
    {
        QStringList args;
        QString err;
    };
    // Progress lines aside, the only line on standard error is the program's message.
    const QString out = dir.filePath(QStringLiteral("out.png"));
    const std::vector<Case> cases = {
        {{pipe, QStringLiteral("--stud-png"), out}, pipe + QStringLiteral(" is not a regular file")},
        {{picture, QStringLiteral("--ldconfig"), pipe, QStringLiteral("--stud-png"), out},
         pipe + QStringLiteral(" is not a regular file")},
        {{picture, QStringLiteral("--ldconfig"), folder, QStringLiteral("--stud-png"), out},
         folder + QStringLiteral(" is a folder")},
        {{cut, QStringLiteral("--stud-png"), out}, cut + QStringLiteral(": ICO: file is truncated")},
    };
    for (const Case& c : cases) {
        QProcess p;
        p.start(QStringLiteral(TESSELKA_CLI),
                QStringList{QStringLiteral("convert"), QStringLiteral("--quiet")} + c.args);
        ASSERT_TRUE(p.waitForFinished(30000)) << c.args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode(), 1);
        EXPECT_EQ(QString::fromLocal8Bit(p.readAllStandardError()), QStringLiteral("tesselka-cli: %1\n").arg(c.err));
    }
}
