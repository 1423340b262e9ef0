#include "map/map_files.h"

#include "common/atomic_file.h"
#include "common/error.h"
#include "common/version.h"
#include "formats/picture_io.h"
#include "map/map_colors.h"
#include "map/panel_sheet.h"
#include "map/totals_sheet.h"

#include <memory>
#include <string_view>
#include <vector>

namespace tesselka {

namespace {

constexpr int PictureWidth = TotalsSheetWidth;
constexpr TColor32 FooterColor = 0xFFC5B1B1u; // RGB 197, 177, 177
constexpr TColor32 TitleColor = 0xFFF2F2F4u;  // RGB 242, 242, 244

std::string CreditLine(const char* separator)
{
    return std::string(CreditAuthor) + separator + CreditContact;
}

} // namespace

std::string MapBaseName(const std::string& chosenPath)
{
    const size_t slash = chosenPath.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t png = chosenPath.find(".png", nameStart);
    if (png != std::string::npos)
        return chosenPath.substr(0, png);
    const size_t dot = chosenPath.find_last_of('.');
    // A leading dot names a hidden file, not an extension.
    if (dot != std::string::npos && dot > nameStart)
        return chosenPath.substr(0, dot);
    return chosenPath;
}

std::string SavedPanelFooter(int row, int column)
{
    return "Panel " + std::to_string(row) + "," + std::to_string(column) + " - Made with Tesselka " + VersionText +
           " - " + CreditLine(" - ");
}

void ComposePanelPicture(const Bitmap32& panelSheet, const Bitmap32& totalsSheet, int row, int column,
                         Bitmap32& picture)
{
    const int sheetH = panelSheet.Height();
    picture.SetSize(PictureWidth, sheetH + 98 + 40);
    picture.Clear(MapWhite);
    picture.Draw(5, 5, panelSheet);
    picture.Draw(5, sheetH + 15, totalsSheet);
    picture.font = BitmapFont{};
    picture.font.color = FooterColor;
    picture.TextOut(175, sheetH + 98 + 25, QString::fromStdString(SavedPanelFooter(row, column)));
}

void ComposeFinalPicture(const Bitmap32& totalsSheet, const std::string& style, const std::string& panelSize,
                         const std::string& sizeLine, Bitmap32& picture)
{
    picture.SetSize(PictureWidth, 98 + 95);
    picture.Clear(MapWhite);
    picture.Draw(5, 70, totalsSheet);
    picture.font = BitmapFont{};
    picture.font.sizePt = 60;
    picture.font.color = TitleColor;
    picture.TextOut(5, -10, QStringLiteral("Mosaic Totals"));
    picture.font.sizePt = 8;
    picture.font.color = MapBlack;
    picture.TextOut(15, 20, QString::fromStdString(style));
    picture.TextOut(15, 35, QStringLiteral("Panel size ") + QString::fromStdString(panelSize));
    picture.TextOut(15, 50, QString::fromStdString(sizeLine));
    picture.font.color = FooterColor;
    picture.TextOut(
        195, 98 + 80,
        QString::fromStdString(std::string("Total - Made with Tesselka ") + VersionText + " - " + CreditLine(" - ")));
}

namespace {

// The files of one map, written under no name (or temporary ones) and given their names
// together at the end: a failure half-way leaves the previous map whole, never a mix of
// old and new panels.
class MapFileSet
{
public:
    void Add(const std::string& path, std::string_view bytes)
    {
        auto file = std::make_unique<AtomicFile>(path, "Cannot create file " + path);
        try {
            file->Write(bytes);
        } catch (const IoError& e) {
            throw IoError(path + ": " + e.what() + " (no file of the map was changed)");
        }
        files_.push_back({path, std::move(file)});
    }
    void Commit()
    {
        for (Pending& p : files_) {
            try {
                p.file->Commit();
            } catch (const IoError& e) {
                throw IoError(p.path + ": " + e.what());
            }
        }
        files_.clear();
    }

private:
    struct Pending
    {
        std::string path;
        std::unique_ptr<AtomicFile> file;
    };
    std::vector<Pending> files_;
};

void AddPng(MapFileSet& files, const Bitmap32& picture, const std::string& path)
{
    const std::vector<uint8_t> bytes = EncodePng(picture);
    files.Add(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

} // namespace

std::vector<std::string> SaveMap(MapJob& job, const std::string& base,
                                 const std::function<bool(int done, int total)>& progress)
{
    std::vector<std::string> written;
    const MapGeometry g =
        ComputeMapGeometry(job.options.panelSize, job.style, job.studImage.Width(), job.studImage.Height());
    const PanelSheetInput sheetInput{job.studImage, job.colorTable, job.cellWidth, job.cellHeight, job.style, g,
                                     job.options};
    Bitmap32 picture;
    MapFileSet files;
    job.totalsList.clear();
    int done = 0;
    for (int rn = 1; rn <= g.PanelsDown; ++rn) {
        for (int cn = 1; cn <= g.PanelsAcross; ++cn) {
            DrawPanelSheet(sheetInput, cn - 1, rn - 1, job.panelSheet);
            CountPanelColors(job.studImage, g, cn - 1, rn - 1, job.colorTable);
            DrawTotalsSheet(job.colorTable, job.palette, job.paletteCount, cn, rn, job.totalsSheet, job.totalsList);
            ComposePanelPicture(job.panelSheet, job.totalsSheet, rn, cn, picture);
            if (progress && !progress(++done, g.PanelCount())) {
                files.Commit(); // a cancelled map keeps the panels made so far
                return written;
            }
            written.push_back(base + "_" + std::to_string(rn) + "-" + std::to_string(cn) + ".png");
            AddPng(files, picture, written.back());
        }
    }
    CountPanelColors(job.studImage, g, -1, -1, job.colorTable);
    DrawTotalsSheet(job.colorTable, job.palette, job.paletteCount, -1, -1, job.totalsSheet, job.totalsList);
    ComposeFinalPicture(job.totalsSheet, job.style, job.options.panelSize,
                        MapSizeLine(job.style, job.studImage.Width(), job.studImage.Height()), picture);
    written.push_back(base + "_total.png");
    AddPng(files, picture, written.back());

    std::string text;
    for (const QString& line : job.totalsList)
        text += line.toStdString() + "\r\n";
    written.push_back(base + ".txt");
    files.Add(written.back(), text);
    files.Commit();
    return written;
}

} // namespace tesselka
