// Make LDraw and Load LDraw File.
#include "app/form1.h"
#include "app/form3.h"

#include "common/error.h"
#include "common/file_path.h"
#include "ldraw/model_reader.h"
#include "widgets/img_view32.h"
#include "workflow/workflow.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>

namespace tesselka {

void TForm1::BitBtn8Click()
{
    if (Stage < 1) {
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
    try {
        WriteModels(StudImage, ColorSlots, SelectedColors, SourcePicture.Width(), SourcePicture.Height(), style,
                    Form3()->AllowedSizes(), FilePath(SaveDialog1.FileName));
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
