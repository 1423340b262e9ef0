#include "app/form2.h"

#include "app/design.h"

#include "app/form1.h"
#include "common/error.h"
#include "common/file_path.h"
#include "map/map_files.h"
#include "workflow/workflow.h"

#include <QCheckBox>
#include <QComboBox>

#include <QLabel>
#include <QPushButton>

namespace tesselka {

namespace {

QCheckBox* MakeBox(QWidget* parent, const char* name, const char* caption, int x, int y, int w)
{
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(x, y, w, 17);
    return box;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int x, int y)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, 75, 25);
    return button;
}

} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent)
{
    SetUpFixedDialog(*this, "Form2", "Make Map", 273, 281);

    Label11 = new QLabel(QStringLiteral("Panel Size"), this);
    Label11->setObjectName(QStringLiteral("Label11"));
    Label11->setGeometry(16, 12, 60, 17);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setEditable(true);
    ComboBox2->addItems(
        {QStringLiteral("6x6"), QStringLiteral("8x8"), QStringLiteral("32x32"), QStringLiteral("48x48")});
    ComboBox2->setCurrentText(QStringLiteral("48x48"));
    ComboBox2->setGeometry(88, 8, 97, 21);

    CheckBox42 = MakeBox(this, "CheckBox42", "Black Grid", 16, 40, 120);
    CheckBox43 = MakeBox(this, "CheckBox43", "Gray Grid", 16, 64, 120);
    CheckBox44 = MakeBox(this, "CheckBox44", "8 Stud Grid", 16, 88, 105);
    CheckBox5 = MakeBox(this, "CheckBox5", "6 Stud Grid", 136, 88, 105);
    CheckBox4 = MakeBox(this, "CheckBox4", "NO numbers", 16, 112, 200);
    CheckBox1 = MakeBox(this, "CheckBox1", "Numbers in all Squares", 16, 136, 200);
    CheckBox2 = MakeBox(this, "CheckBox2", "Fill color squares", 16, 160, 200);
    CheckBox3 = MakeBox(this, "CheckBox3", "Print All Numbers Black", 16, 184, 200);

    Button1 = MakeButton(this, "Button1", "Save Map", 8, 240);
    Button2 = MakeButton(this, "Button2", "Print Map", 91, 240);
    Button3 = MakeButton(this, "Button3", "Cancel", 190, 240);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
}

MapOptions TForm2::Options() const
{
    MapOptions options;
    options.panelSize = ComboBox2->currentText().toStdString();
    options.blackGrid = CheckBox42->isChecked();
    options.grayGrid = CheckBox43->isChecked();
    options.grid8 = CheckBox44->isChecked();
    options.grid6 = CheckBox5->isChecked();
    options.noNumbers = CheckBox4->isChecked();
    options.numbersInAll = CheckBox1->isChecked();
    options.fillColor = CheckBox2->isChecked();
    options.allNumbersBlack = CheckBox3->isChecked();
    return options;
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm2::FormShow()
{
    // The save appends a progress mark per panel to this caption.
    setWindowTitle(QStringLiteral("Save Map"));
}

TForm1* TForm2::MainWindow() const
{
    return qobject_cast<TForm1*>(parentWidget());
}

void TForm2::Button1Click()
{
    TForm1* main = MainWindow();
    if (!main) {
        reject();
        return;
    }
    if (!main->ExecuteSaveDialog(SaveKind::Map, this)) {
        reject();
        return;
    }
    try {
        MapJob job{main->StudImage,
                   main->ColorSlots,
                   main->SelectedColors,
                   main->PaletteCount,
                   main->MosaicStyle().toStdString(),
                   main->CellWidth,
                   main->CellHeight,
                   Options(),
                   main->PanelSheet,
                   main->TotalsSheet,
                   main->TotalsList};
        const BusyCursor busy;
        const std::unique_ptr<Progress> progress =
            main->platform().StartProgress(this, QStringLiteral("Saving the map"));
        bool cancelled = false;
        const std::vector<std::string> files =
            SaveMapFiles(job, FilePath(main->SaveDialog1.FileName), [&](int done, int total) {
                setWindowTitle(windowTitle() + QStringLiteral(" ."));
                cancelled = !progress->Step(done, total);
                return !cancelled;
            });
        // Besides the panel pictures, a whole map has the totals picture and the text.
        const qsizetype panels = std::max<qsizetype>(0, qsizetype(files.size()) - 2);
        main->ShowStatus(cancelled ? QStringLiteral("Save Map cancelled; the panel pictures written so far stay")
                                   : QStringLiteral("Saved map: %1 panel picture%2, totals, text")
                                         .arg(panels)
                                         .arg(panels == 1 ? QString() : QStringLiteral("s")));
    } catch (const std::exception& e) {
        main->ShowError(e);
    }
    reject();
}

} // namespace tesselka
