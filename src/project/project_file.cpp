#include "project/project_file.h"

#include "common/atomic_file.h"
#include "common/error.h"
#include "common/version.h"
#include "formats/decoders.h"
#include "formats/picture_io.h"
#include "image/grid_scale.h"
#include "mosaic/hand_edit.h"
#include "settings/ini_file.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include <sys/stat.h>

namespace tesselka {

namespace {

constexpr const char* ManifestSection = "Tesselka project";

// The entries and the largest each may be.
struct EntryKind
{
    const char* name;
    uint64_t limit;
};
constexpr EntryKind Entries[] = {
    {"manifest.ini", ProjectLimits::MaxManifest}, {"picture", ProjectLimits::MaxPicture},
    {"settings.ini", ProjectLimits::MaxSettings}, {"studs.png", ProjectLimits::MaxGridPng},
    {"studs-mix.png", ProjectLimits::MaxGridPng}, {"view.png", ProjectLimits::MaxPicture},
    {"undo.txt", ProjectLimits::MaxUndo},
};

[[noreturn]] void Damaged(const std::string& what)
{
    throw Error("The project file is damaged or not a project: " + what);
}

std::string ZipErrorText(zip_error_t* error)
{
    std::string text = zip_error_strerror(error);
    zip_error_fini(error);
    return text;
}

// A name this program would never write and no reader should follow: absolute, with a
// parent step, a drive or a backslash, or with control characters.
bool SafeEntryName(std::string_view name)
{
    if (name.empty() || name.size() > 255 || name.front() == '/' || name.find("..") != std::string_view::npos)
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F || c == '\\' || c == ':';
    });
}

// The picture extensions Load Image knows; the name's extension must be one of them.
std::string PictureExtension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) { return char(std::tolower((unsigned char)c)); });
    static const char* const known[] = {"bmp", "dib", "gif", "png", "jpg", "jpeg", "ico", "emf", "wmf"};
    for (const char* k : known)
        if (ext == k)
            return ext;
    return {};
}

QImage WrapBitmap(const Bitmap32& bitmap)
{
    return QImage(reinterpret_cast<const uchar*>(bitmap.Bits()), bitmap.Width(), bitmap.Height(),
                  qsizetype(bitmap.Width()) * 4, QImage::Format_ARGB32);
}

// RGBA PNG, so that the alpha byte comes back as it was; an empty bitmap is an empty entry.
std::string GridPng(const Bitmap32& bitmap)
{
    if (bitmap.Empty())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(6);
    if (!writer.write(WrapBitmap(bitmap)))
        throw Error("PNG: " + writer.errorString().toStdString());
    return bytes.toStdString();
}

Bitmap32 DecodeGridPng(const std::string& bytes, const char* entry, int maxWidth)
{
    if (bytes.empty())
        return {};
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > maxWidth || !Bitmap32::SizeAllowed(size.width(), size.height()))
        Damaged(std::string(entry) + " has a size this program does not make");
    const qint64 bytesNeeded = qint64(size.width()) * size.height() * 8;
    reader.setAllocationLimit(int(std::min<qint64>(bytesNeeded / (1 << 20) + 16, 1 << 30)));
    QImage image = reader.read();
    if (image.isNull() || image.size() != size)
        Damaged(std::string(entry) + ": " + reader.errorString().toStdString());
    image = image.convertToFormat(QImage::Format_ARGB32);
    Bitmap32 bitmap(size.width(), size.height());
    for (int y = 0; y < size.height(); ++y)
        std::memcpy(bitmap.Row(y), image.constScanLine(y), size_t(size.width()) * 4);
    return bitmap;
}

// Takes ownership of a zip_t and discards it (and any unwritten change) unless closed.
struct ZipDiscard
{
    void operator()(zip_t* zip) const { zip_discard(zip); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipDiscard>;

class Reader
{
public:
    explicit Reader(zip_t* zip) : zip_(zip) {}

    Project Read()
    {
        const zip_int64_t count = zip_get_num_entries(zip_.get(), 0);
        if (count < 0 || count > ProjectLimits::MaxEntries)
            Damaged("it holds " + std::to_string(count) + " entries");
        for (zip_int64_t i = 0; i < count; ++i) {
            const char* name = zip_get_name(zip_.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW);
            if (!name || !SafeEntryName(name))
                Damaged("an entry name points outside the project (" + std::string(name ? name : "?") + ")");
            if (std::find(names_.begin(), names_.end(), name) != names_.end())
                Damaged(std::string(name) + " is there twice");
            names_.emplace_back(name);
        }

        Project project;
        const IniFile manifest(Entry("manifest.ini"));
        const auto field = [&manifest](const char* key) {
            std::optional<std::string> value = manifest.Read(ManifestSection, key);
            if (!value)
                Damaged(std::string("the manifest has no ") + key);
            return *value;
        };
        const int format = Number(field("Format"), "Format");
        if (format > Project::FormatVersion)
            throw Error("The project was made by a newer version of Tesselka (project format " +
                        std::to_string(format) + "); this version reads format " +
                        std::to_string(Project::FormatVersion) + " and older.");
        if (format < 1)
            Damaged("the manifest gives format " + std::to_string(format));
        for (const std::string& name : names_)
            if (std::none_of(std::begin(Entries), std::end(Entries),
                             [&name](const EntryKind& kind) { return name == kind.name; }))
                Damaged("it holds " + name + ", which this version does not know");

        project.programVersion = field("Program");
        project.stage = Number(field("Stage"), "Stage");
        if (project.stage < 0 || project.stage > 2)
            Damaged("the manifest gives stage " + std::to_string(project.stage));
        project.pictureName = field("Picture");
        if (project.pictureName.empty() || project.pictureName.size() > ProjectLimits::MaxPictureName ||
            !SafeEntryName(project.pictureName) || project.pictureName.find('/') != std::string::npos ||
            PictureExtension(project.pictureName).empty())
            Damaged("the manifest's picture name is not the name of a picture file");

        project.pictureBytes = Entry("picture");
        project.settings = Entry("settings.ini");
        if (project.stage >= 1) {
            project.studImage = DecodeGridPng(Entry("studs.png"), "studs.png", MaxMosaicWidth);
            project.mixStudImage = DecodeGridPng(Entry("studs-mix.png"), "studs-mix.png", Bitmap32::MaxSide);
            if (project.studImage.Empty())
                Damaged("studs.png is empty");
        }
        if (project.stage == 1)
            project.view = DecodeGridPng(Entry("view.png"), "view.png", Bitmap32::MaxSide);
        if (project.stage == 2) {
            const std::string undo = Entry("undo.txt");
            size_t pos = 0;
            while (pos < undo.size()) {
                size_t end = undo.find('\n', pos);
                if (end == std::string::npos)
                    end = undo.size();
                std::string line = undo.substr(pos, end - pos);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                try {
                    ParseUndoLine(line);
                } catch (const Error& e) {
                    Damaged("undo.txt line " + std::to_string(project.undoList.size() + 1) + ": " + e.what());
                }
                project.undoList.push_back(std::move(line));
                pos = end + 1;
            }
        }
        return project;
    }

private:
    static int Number(const std::string& text, const char* what)
    {
        if (text.empty() || text.size() > 9 ||
            !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
            Damaged(std::string("the manifest's ") + what + " is not a number");
        return std::stoi(text);
    }

    // The entry's bytes, after its declared size has been checked against its limit; the
    // data must inflate to exactly that size with the right checksum.
    std::string Entry(const char* name)
    {
        const zip_int64_t index = zip_name_locate(zip_.get(), name, ZIP_FL_ENC_RAW);
        if (index < 0)
            Damaged(std::string(name) + " is missing");
        const uint64_t limit = std::find_if(std::begin(Entries), std::end(Entries), [name](const EntryKind& kind) {
                                   return std::strcmp(kind.name, name) == 0;
                               })->limit;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip_.get(), zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
            Damaged(std::string(name) + " has no size");
        if (st.size > limit)
            Damaged(std::string(name) + " is too large (" + std::to_string(st.size) + " bytes, at most " +
                    std::to_string(limit) + ")");
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            Damaged(std::string(name) + " is encrypted");
        if ((st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method != ZIP_CM_STORE && st.comp_method != ZIP_CM_DEFLATE)
            Damaged(std::string(name) + " is compressed in a way this program does not write");
        zip_file_t* file = zip_fopen_index(zip_.get(), zip_uint64_t(index), 0);
        if (!file)
            Damaged(std::string(name) + ": " + zip_strerror(zip_.get()));
        std::string bytes(size_t(st.size), '\0');
        zip_int64_t got = st.size ? zip_fread(file, bytes.data(), st.size) : 0;
        char extra;
        const zip_int64_t more = got == zip_int64_t(st.size) ? zip_fread(file, &extra, 1) : 0;
        const std::string error = zip_error_strerror(zip_file_get_error(file));
        const int closed = zip_fclose(file);
        if (got != zip_int64_t(st.size) || more != 0 || closed != 0)
            Damaged(std::string(name) + ": " + error);
        return bytes;
    }

    ZipHandle zip_;
    std::vector<std::string> names_;
};

Project ReadFrom(zip_source_t* source)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_t* zip = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!zip) {
        zip_source_free(source);
        Damaged(ZipErrorText(&error));
    }
    return Reader(zip).Read();
}

void AddEntry(zip_t* zip, const char* name, const std::string& bytes, bool compress)
{
    zip_source_t* source = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
    zip_int64_t index = source ? zip_file_add(zip, name, source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
        zip_source_free(source);
        throw Error(std::string("Cannot add ") + name + " to the project: " + zip_strerror(zip));
    }
    zip_set_file_compression(zip, zip_uint64_t(index), compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
}

} // namespace

std::string EncodeProject(const Project& project)
{
    IniFile manifest;
    manifest.Write(ManifestSection, "Format", std::to_string(Project::FormatVersion));
    manifest.Write(ManifestSection, "Program", VersionText);
    manifest.Write(ManifestSection, "Picture", project.pictureName);
    manifest.Write(ManifestSection, "Stage", std::to_string(project.stage));

    // Every part is made before the container, which refers to them until it is closed.
    struct Part
    {
        const char* name;
        std::string bytes;
        bool compress;
    };
    std::vector<Part> parts;
    parts.push_back({"manifest.ini", manifest.Text(), true});
    const std::string ext = PictureExtension(project.pictureName);
    const bool packed = ext == "jpg" || ext == "jpeg" || ext == "png" || ext == "gif";
    parts.push_back({"picture", project.pictureBytes, !packed});
    parts.push_back({"settings.ini", project.settings, true});
    if (project.stage >= 1) {
        parts.push_back({"studs.png", GridPng(project.studImage), false});
        parts.push_back({"studs-mix.png", GridPng(project.mixStudImage), false});
    }
    if (project.stage == 1)
        parts.push_back({"view.png", GridPng(project.view), false});
    if (project.stage == 2) {
        std::string undo;
        for (const std::string& line : project.undoList)
            undo += line + '\n';
        parts.push_back({"undo.txt", std::move(undo), true});
    }

    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* memory = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!memory)
        throw Error("Cannot make the project: " + ZipErrorText(&error));
    zip_source_keep(memory);
    std::unique_ptr<zip_source_t, decltype(&zip_source_free)> keep(memory, zip_source_free);
    ZipHandle zip(zip_open_from_source(memory, ZIP_TRUNCATE, &error));
    if (!zip) {
        zip_source_free(memory); // not taken over by the container
        throw Error("Cannot make the project: " + ZipErrorText(&error));
    }
    for (const Part& part : parts)
        AddEntry(zip.get(), part.name, part.bytes, part.compress);
    if (zip_close(zip.get()) != 0)
        throw Error(std::string("Cannot make the project: ") + zip_strerror(zip.get()));
    zip.release();

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(memory, &st) != 0 || zip_source_open(memory) != 0)
        throw Error("Cannot make the project: " + std::string(zip_error_strerror(zip_source_error(memory))));
    std::string bytes(size_t(st.size), '\0');
    const zip_int64_t got = zip_source_read(memory, bytes.data(), st.size);
    zip_source_close(memory);
    if (got != zip_int64_t(st.size))
        throw Error("Cannot make the project: " + std::string(zip_error_strerror(zip_source_error(memory))));
    return bytes;
}

void SaveProject(const Project& project, const std::string& path)
{
    const std::string bytes = EncodeProject(project);
    AtomicFile file(path);
    file.Write(bytes);
    file.Commit();
}

Project LoadProject(const std::string& path)
{
    // The file system's own text for a file that cannot be opened, before libzip's.
    std::fclose(detail::OpenForReading(path));
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        ThrowIoError(errno, path);
    if (!S_ISREG(st.st_mode))
        Damaged(path + " is not a file");
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_file_create(path.c_str(), 0, -1, &error);
    if (!source)
        Damaged(ZipErrorText(&error));
    return ReadFrom(source);
}

Project DecodeProject(std::string_view bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source)
        Damaged(ZipErrorText(&error));
    return ReadFrom(source);
}

bool IsProjectPath(std::string_view path)
{
    const std::string_view ext = ProjectExtension;
    if (path.size() <= ext.size() || path[path.size() - ext.size() - 1] != '.')
        return false;
    return std::equal(ext.begin(), ext.end(), path.end() - ptrdiff_t(ext.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

Bitmap32 DecodeProjectPicture(const Project& project)
{
    Bitmap32 picture;
    DecodeProjectPicture(project, picture, {});
    return picture;
}

bool DecodeProjectPicture(const Project& project, Bitmap32& picture, const StepProgress& progress)
{
    const std::string ext = PictureExtension(project.pictureName);
    if (ext.empty())
        Damaged("the manifest's picture name is not the name of a picture file");
    // The decoders read files: the bytes go to a private folder under a name of our own.
    QTemporaryDir folder;
    if (!folder.isValid())
        throw IoError("Cannot create a temporary folder: " + folder.errorString().toStdString());
    const std::string path =
        QFile::encodeName(folder.filePath(QStringLiteral("picture.") + QString::fromStdString(ext))).toStdString();
    AtomicFile file(path);
    file.Write(project.pictureBytes);
    file.Commit();
    return LoadPicture(path, picture, progress);
}

} // namespace tesselka
