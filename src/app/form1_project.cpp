// Save Project and Open Project: a mosaic in the making, kept in one file.
#include "app/form1.h"
#include "app/form2.h"
#include "app/form3.h"
#include "app/form_storage.h"
#include "common/error.h"
#include "common/file_path.h"
#include "common/styles.h"
#include "image/grid_scale.h"
#include "image/tone.h"
#include "project/project_file.h"
#include "settings/ini_file.h"
#include "widgets/img_view32.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTemporaryDir>

#include <utility>

namespace tesselka {

namespace {

// Points a storage at `file` for one operation and back where it was afterwards.
class StorageAt
{
public:
    StorageAt(TFormStorage& storage, const QString& file) : storage_(storage), home_(storage.IniFileName)
    {
        storage_.IniFileName = file;
    }
    ~StorageAt() { storage_.IniFileName = home_; }
    StorageAt(const StorageAt&) = delete;
    StorageAt& operator=(const StorageAt&) = delete;

private:
    TFormStorage& storage_;
    QString home_;
};

std::string ReadAll(const QString& path, uint64_t limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || uint64_t(file.size()) > limit)
        return {};
    return file.readAll().toStdString();
}

} // namespace

void TForm1::RememberLoadedPicture(const QString& fileName)
{
    // Kept as the file was, so a project holds the picture itself, not a copy decoded
    // and encoded again; a file too large for a project is noticed at Save Project.
    LoadedPictureName = QFileInfo(fileName).fileName();
    LoadedPictureBytes = ReadAll(fileName, ProjectLimits::MaxPicture);
}

std::vector<TFormStorage*> TForm1::Storages() const
{
    std::vector<TFormStorage*> storages{FormStorage1.get()};
    for (QWidget* dialog : {static_cast<QWidget*>(form2_), static_cast<QWidget*>(form3_)})
        if (dialog)
            if (auto* s = dialog->findChild<TFormStorage*>(QStringLiteral("FormStorage1"), Qt::FindDirectChildrenOnly))
                storages.push_back(s);
    return storages;
}

std::string TForm1::ProjectSettingsText()
{
    // Only the windows' own sections: the settings file also remembers the user's
    // folders, which are nobody else's business when a project is passed on. A dialog
    // not shown yet takes its stored values first, as its next showing would.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("settings.ini"));
    for (TFormStorage* storage : Storages()) {
        if (!storage->HasRestored())
            storage->Restore();
        StorageAt at(*storage, file);
        storage->Save();
    }
    return ReadAll(file, ProjectLimits::MaxSettings);
}

void TForm1::SaveProjectFile(const QString& fileName)
{
    Project project;
    project.stage = std::clamp(Stage, int(StagePicture), int(StageMosaic));
    if (LoadedPictureName.isEmpty()) {
        // Nothing loaded yet: the start picture is the picture.
        project.pictureName = "start.png";
        project.pictureBytes = ReadAll(QStringLiteral(":/start.png"), ProjectLimits::MaxPicture);
    } else {
        if (LoadedPictureBytes.empty())
            throw Error("The picture " + LoadedPictureName.toStdString() + " is too large for a project");
        project.pictureName = LoadedPictureName.toStdString();
        project.pictureBytes = LoadedPictureBytes;
    }
    // Grayscale and Invert are not remembered between sessions, but they are part of the
    // work: the project keeps them beside the windows' settings.
    IniFile settings(ProjectSettingsText());
    for (const QCheckBox* box : {GrayScale, Invert})
        settings.Write("TForm1", box->objectName().toStdString() + "_Checked", box->isChecked() ? "True" : "False");
    project.settings = settings.Text();
    if (project.stage >= StageDithered) {
        project.studImage = StudImage;
        project.mixStudImage = MixStudImage;
    }
    if (project.stage == StageDithered)
        project.view = image1->Bitmap();
    if (project.stage == StageMosaic)
        for (const QString& line : UndoList)
            project.undoList.push_back(line.toStdString());
    SaveProject(project, FilePath(fileName));
}

bool TForm1::OpenProjectFile(const QString& fileName)
{
    // Everything that can refuse the project, or be cancelled, comes first: until the
    // picture has been decoded, the current work is untouched.
    const std::unique_ptr<Progress> progress = platform().StartProgress(this, QStringLiteral("Opening the project"));
    Project project = LoadProject(FilePath(fileName));
    // At the mosaic stage the drawing of the mosaic is the second half of the bar.
    const int halves = project.stage == StageMosaic ? 2 : 1;
    Bitmap32 picture;
    if (!DecodeProjectPicture(project, picture, [&progress, halves](int done, int total) {
            return progress->Step(done, halves * total);
        }))
        return false;
    QTemporaryDir folder;
    const QString settingsFile = folder.filePath(QStringLiteral("settings.ini"));
    {
        QFile out(settingsFile);
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(project.settings.data(), qint64(project.settings.size())) != qint64(project.settings.size()))
            throw IoError("Cannot create file " + settingsFile.toStdString());
    }

    image1->ClearLayers();
    OverlayLayer = nullptr;
    LayerOpacity->setEnabled(false);
    SourcePicture = std::move(picture);
    LoadedPictureName = QString::fromStdString(project.pictureName);
    // The saves name their files after the picture, offered beside the project.
    SetPictureName(QFileInfo(fileName).dir().filePath(LoadedPictureName));
    LoadedPictureBytes = std::move(project.pictureBytes);
    UndoList.clear();
    RedoList.clear();
    Button3->setEnabled(false);
    Stage = StageCreated; // no handler draws on the old mosaic meanwhile

    // The controls take the project's values as a user's changes would, but the steps
    // those changes start (tone, automatic dither and mosaic) wait: the project's own
    // stage is put back below.
    openingProject_ = true;
    try {
        for (TFormStorage* storage : Storages()) {
            {
                StorageAt at(*storage, settingsFile);
                storage->Restore();
            }
            // A dialog reads its settings each time it is shown, from the settings file.
            if (storage != FormStorage1.get())
                storage->Save();
        }
        // Quietly: the tone is computed below, and a user's click would also tick Auto.
        const IniFile settings(project.settings);
        for (QCheckBox* box : {GrayScale, Invert}) {
            const QSignalBlocker quiet(box);
            const std::optional<std::string> on = settings.Read("TForm1", box->objectName().toStdString() + "_Checked");
            box->setChecked(on && QString::fromStdString(*on).compare(QLatin1String("True"), Qt::CaseInsensitive) == 0);
        }
    } catch (...) {
        openingProject_ = false;
        throw;
    }
    openingProject_ = false;
    ComboBox1Change();

    ::tesselka::AdjustTone(SourcePicture, WorkPicture, CurrentToneSettings());
    image1->SetBitmap(WorkPicture);
    Stage = StagePicture;
    if (project.stage == StagePicture)
        return true;

    StudImage = std::move(project.studImage);
    MixStudImage = std::move(project.mixStudImage);
    const std::pair<QRadioButton*, DitherKind> kinds[] = {
        {dm1, DitherFloydSteinberg}, {dm2, DitherStucki}, {dm3, DitherSierra},  {dm4, DitherJarvisJudiceNinke},
        {dm5, DitherStevensonArce},  {dm6, DitherBurkes}, {dm7, DitherNearest},
    };
    for (const auto& [radio, kind] : kinds)
        if (radio->isChecked())
            DitherSettings.kind = kind;
    int n = 0;
    BuildPalette(n);
    DrawPaletteStrip(n);
    PaletteCount = n;
    // The line under the view, as Dither Image leaves it: the stud-mix grid's when it was
    // made, else the ordinary grid's.
    try {
        const int studsWide = ParseMosaicWidth(Edit2->text().toStdString());
        const bool mix = !MixStudImage.Empty();
        if (std::optional<GridScaleResult> plan =
                PlanGrid(WorkPicture.Width(), WorkPicture.Height(), studsWide, mix ? StudMixCell.width : CellWidth,
                         mix ? StudMixCell.height : CellHeight, mix))
            Label5->setText(QString::fromStdString(plan->label));
    } catch (const Error&) {
    }
    Stage = StageDithered;
    if (project.stage == StageDithered) {
        image1->SetBitmap(project.view);
        return true;
    }
    // The controls of all three windows, their sections of the settings file and the
    // window's placement are the project's by now: a Cancel here could only leave half
    // a project, so the mosaic is drawn to its end.
    progress->DisableCancel();
    MakeMosaic([&progress](int done, int total) { return progress->Step(total + done, 2 * total); });
    for (const std::string& line : project.undoList)
        UndoList << QString::fromStdString(line);
    Button3->setEnabled(!UndoList.isEmpty());
    return true;
}

void TForm1::SaveProjectClick()
{
    if (!ExecuteSaveDialog(SaveKind::Project))
        return;
    const BusyCursor busy;
    try {
        SaveProjectFile(SaveDialog1.FileName);
        ShowStatus(QStringLiteral("Saved project: ") + SaveDialog1.FileName);
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TForm1::OpenProjectClick()
{
    if (ExecuteOpenDialog(QLatin1String(ProjectFilter)))
        OpenProject(OpenDialog1.FileName);
}

void TForm1::OpenProject(const QString& fileName)
{
    const BusyCursor busy;
    try {
        if (OpenProjectFile(fileName))
            ShowStatus(QStringLiteral("Opened project: ") + fileName);
        else
            ShowStatus(QStringLiteral("Open Project cancelled"));
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

void TForm1::OpenFile(const QString& fileName)
{
    if (IsProjectPath(fileName.toStdString()))
        OpenProject(fileName);
    else
        LoadPictureFile(fileName);
}

} // namespace tesselka
