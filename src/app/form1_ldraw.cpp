// Make LDraw and Load LDraw File.
#include "app/form1.h"
#include "app/form3.h"

#include "common/error.h"
#include "common/file_path.h"
#include "ldraw/model_reader.h"
#include "widgets/img_view32.h"
#include "workflow/workflow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <fstream>

namespace tesselka {

namespace {

// The parts a written model places: its part lines ("1 <colour> <position> <matrix>
// <part>.dat"); lines that place another model file are not parts.
int CountModelParts(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    int parts = 0;
    for (std::string line; std::getline(in, line);) {
        const QString text = QString::fromStdString(line).trimmed();
        parts += text.startsWith(QLatin1String("1 ")) && text.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive);
    }
    return parts;
}

// 10003 as "10 003".
QString GroupedNumber(int n)
{
    QString digits = QString::number(n);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(' '));
    return digits;
}

// Which files were written (by name, in the folder of the first) and the main model's
// part count, with any colour the wanted list had to leave out.
QString ModelsWrittenText(const std::vector<std::string>& files, const ModelListsOutcome& lists)
{
    QStringList names;
    for (const std::string& file : files)
        names << QFileInfo(QString::fromStdString(file)).fileName();
    const QString folder = QDir::toNativeSeparators(QFileInfo(QString::fromStdString(files.front())).absolutePath());
    QString text = QStringLiteral("Written in %1:\n%2\n\nThe main model, %3, has %4 parts.")
                       .arg(folder, names.join(QLatin1Char('\n')), names.front())
                       .arg(lists.mainParts);
    for (const std::string& warning : lists.warnings)
        text += QStringLiteral("\n\n") + QString::fromStdString(warning);
    return text;
}

} // namespace

void TForm1::BitBtn8Click()
{
    if (Stage < StageDithered) {
        ShowInfo(QStringLiteral("I can not make the LDraw file till you have pressed the \"Make Mosaic\" button."));
        return;
    }
    if (!Form3() || !platform().ExecModal(*Form3()))
        return;
    if (!ExecuteSaveDialog(SaveKind::Model))
        return;
    const std::string style = MosaicStyle().toStdString();
    if (!StyleHasModel(style)) {
        ShowInfo(QStringLiteral("Sorry i can't do that yet."));
        return;
    }
    const BusyCursor busy;
    try {
        const std::unique_ptr<Progress> progress =
            platform().StartProgress(this, QStringLiteral("Writing the LDraw model"));
        bool cancelled = false;
        const std::vector<std::string> files =
            WriteModels(StudImage, ColorSlots, SelectedColors, SourcePicture.Width(), SourcePicture.Height(), style,
                        Form3()->AllowedSizes(), FilePath(SaveDialog1.FileName), [&](int done, int total) {
                            cancelled = !progress->Step(done, total);
                            return !cancelled;
                        });
        QStringList names;
        int parts = 0;
        for (const std::string& file : files) {
            names << QFileInfo(QString::fromStdString(file)).fileName();
            parts += CountModelParts(file);
        }
        ShowStatus(QStringLiteral("%1 %2 model file%3, %4 parts: %5")
                       .arg(cancelled ? QStringLiteral("Make LDraw cancelled; wrote") : QStringLiteral("Wrote"))
                       .arg(files.size())
                       .arg(files.size() == 1 ? QString() : QStringLiteral("s"), GroupedNumber(parts),
                            names.join(QStringLiteral(", "))));
        if (cancelled)
            return;
        const std::string chosen = FilePath(SaveDialog1.FileName);
        const ModelListsOutcome lists = WritePartsLists(
            StudImage, ColorSlots, SelectedColors, SourcePicture.Width(), SourcePicture.Height(), style,
            Form3()->AllowedSizes(),
            ListsBesideModel(chosen, Form3()->PartsListBox->isChecked(), Form3()->WantedListBox->isChecked()));
        std::vector<std::string> written = files;
        written.insert(written.end(), lists.written.begin(), lists.written.end());
        ShowInfo(ModelsWrittenText(written, lists));
    } catch (const Error& e) {
        ShowError(e);
    }
}

void TForm1::Button1Click()
{
    if (!ExecuteOpenDialog(QStringLiteral("LDraw file (*.ldr)|*.ldr")))
        return;
    try {
        ModelReadTarget target{StudImage, SourcePicture, ldrawColor_,
                               [this](const std::string& text) { Edit2->setText(QString::fromStdString(text)); },
                               [this](const std::string& text) {
                                   ComboBox1->setCurrentText(QString::fromStdString(text));
                                   // The cell shape follows the style, so that the mosaic
                                   // is drawn in the proportions of the file's style.
                                   ComboBox1Change();
                               }};
        // Paint requests go through while a large model loads, but not the user's
        // input: another command must not change the pictures half-way.
        const ModelReadResult result = ReadModelFile(FilePath(OpenDialog1.FileName), ColorSlots, target, [] {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
        if (result == ModelReadResult::NotOurs) {
            ShowInfo(QString::fromLatin1(NotOurModelText));
            return;
        }
        SourcePicture.StretchFrom(StudImage);
        image1->SetBitmap(SourcePicture);
        WorkPicture = image1->Bitmap();
        SetPictureName(OpenDialog1.FileName);
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

} // namespace tesselka
