// The shared file dialogs: what each save offers, and what the window remembers in the
// settings file beside the stored controls: the folders per kind and the view's fit.
#include "app/form1.h"

#include "common/error.h"
#include "common/file_path.h"
#include "project/project_file.h"
#include "settings/ini_file.h"
#include "widgets/img_view32.h"

#include <QDir>
#include <QFileInfo>

namespace tesselka {

namespace {

struct SaveKindInfo
{
    const char* key;    // in the settings file's [Folders] section
    const char* ending; // after the picture's name: the three picture kinds differ here
    const char* ext;
    const char* filter;
};

// By SaveKind. The map writes "<name>_1-1.png" and more beside the chosen name, never
// the name itself; its own ending keeps those apart from the other pictures.
constexpr SaveKindInfo SaveKinds[SaveKindCount] = {
    {"Picture", " mosaic", "png", "pngs (*.png)|*.png"}, {"Studs", " 16x16", "png", "pngs (*.png)|*.png"},
    {"Model", "", "ldr", "LDraw (*.ldr)|*.ldr"},         {"Map", " map", "png", "pngs (*.png)|*.png"},
    {"Settings", "", "ini", "ini (*.ini)|*.ini"},        {"Project", "", "tesselka", ProjectFilter},
};

const char* const FoldersSection = "Folders";
const char* const ViewSection = "View";
const char* const FitKey = "FitToWindow";
// Before a picture is loaded the start picture has no name of its own.
const QString UnnamedPicture = QStringLiteral("untitled");

const SaveKindInfo& Info(SaveKind kind)
{
    return SaveKinds[size_t(kind)];
}

} // namespace

void TForm1::ReadRemembered()
{
    // A settings file that cannot be read is reported when the storage restores from it,
    // not a second time here.
    try {
        const IniFile ini = IniFile::Load(FilePath(settingsFile_));
        for (int i = 0; i < SaveKindCount; ++i)
            if (std::optional<std::string> folder = ini.Read(FoldersSection, SaveKinds[i].key))
                saveFolders_[size_t(i)] = QString::fromStdString(*folder);
        if (ini.Read(ViewSection, FitKey) == "True") {
            fitRemembered_ = true;
            image1->FitToWindow();
        }
    } catch (const Error&) {
    }
}

void TForm1::Remember(const char* section, const char* key, const QString& value)
{
    // Remembering is a convenience: the command goes ahead when the settings file cannot
    // be written, and closing the window reports that failure.
    try {
        const std::string path = FilePath(settingsFile_);
        IniFile ini = IniFile::Load(path);
        ini.Write(section, key, value.toStdString());
        ini.Save(path);
    } catch (const Error&) {
    }
}

void TForm1::image1ZoomChange()
{
    if (image1->Fitted() == fitRemembered_)
        return;
    fitRemembered_ = image1->Fitted();
    Remember(ViewSection, FitKey, fitRemembered_ ? QStringLiteral("True") : QStringLiteral("False"));
}

void TForm1::SetPictureName(const QString& path)
{
    const QFileInfo info(path);
    pictureFolder_ = info.absolutePath();
    pictureName_ = info.completeBaseName();
}

QString TForm1::OfferedSaveName(SaveKind kind) const
{
    const SaveKindInfo& info = Info(kind);
    const QString name = (pictureName_.isEmpty() ? UnnamedPicture : pictureName_) + QLatin1String(info.ending) +
                         QLatin1Char('.') + QLatin1String(info.ext);
    const QString& used = saveFolders_[size_t(kind)];
    const QString folder = used.isEmpty() ? pictureFolder_ : used;
    return folder.isEmpty() ? name : QDir(folder).filePath(name);
}

bool TForm1::ExecuteSaveDialog(SaveKind kind, QWidget* parent)
{
    const SaveKindInfo& info = Info(kind);
    SaveDialog1.Filter = QLatin1String(info.filter);
    SaveDialog1.FileName = OfferedSaveName(kind);
    SaveDialog1.Folder.clear();
    // The dialog's own default extension, "ldr", belongs to Make LDraw; a bare name
    // typed for another kind gets that kind's extension.
    const QString keptExt = SaveDialog1.DefaultExt;
    SaveDialog1.DefaultExt = QLatin1String(info.ext);
    const bool chosen = platform_.ExecuteFileDialog(parent ? parent : this, SaveDialog1);
    SaveDialog1.DefaultExt = keptExt;
    if (!chosen)
        return false;
    QString& folder = saveFolders_[size_t(kind)];
    folder = QFileInfo(SaveDialog1.FileName).absolutePath();
    Remember(FoldersSection, info.key, folder);
    return true;
}

bool TForm1::ExecuteOpenDialog(const QString& filter)
{
    OpenDialog1.Filter = filter;
    if (!OpenDialog1.FileName.isEmpty())
        OpenDialog1.Folder = QFileInfo(OpenDialog1.FileName).absolutePath();
    OpenDialog1.FileName.clear();
    return platform_.ExecuteFileDialog(this, OpenDialog1);
}

} // namespace tesselka
