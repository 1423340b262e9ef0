// Make LDraw and Load LDraw File.
#include "app/form1.h"
#include "app/form3.h"

#include "common/error.h"
#include "ldraw/model_writer.h"

#include <QComboBox>

namespace tesselka {

void TForm1::BitBtn8Click()
{
    if (Stage < 1) {
        ShowInfo(QStringLiteral("I can not make the LDraw file till you have pressed the \"Make Mosaic\" button."));
        return;
    }
    if (!Form3() || !platform().ExecModal(*Form3()))
        return;
    SaveDialog1.Filter = QStringLiteral("LDraw (*.ldr)|*.ldr");
    if (!platform().ExecuteFileDialog(this, SaveDialog1))
        return;
    const std::string style = MosaicStyle().toStdString();
    if (ModelFilesForStyle(style).empty()) {
        ShowInfo(QStringLiteral("Sorry i can't do that yet."));
        return;
    }
    try {
        const ModelExportInput input{StudImage,
                                     ColorSlots,
                                     SelectedColors,
                                     SourcePicture.Width(),
                                     SourcePicture.Height(),
                                     style,
                                     Form3()->AllowedSizes()};
        ExportModelFiles(input, SaveDialog1.FileName.toStdString());
    } catch (const Error& e) {
        ShowError(e);
    }
}

void TForm1::Button1Click() {}

} // namespace tesselka
