// Make Map in the real windows: the dialog, Save Map and Print Map through the buttons.
#include "print/map_document.h"
#include "support/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tesselka;
using namespace tesselka::test;

namespace {

struct Windows : MainWindow
{
    QTemporaryDir dir;

    void Dither()
    {
        form.BitBtn2->click(); // the start picture, 96 studs wide
        ASSERT_GE(form.Stage, StageDithered);
    }

    // Make Map answered with the "Save Map" button and `answer` in the file dialog.
    void SaveMapAs(const QString& answer)
    {
        platform.fileAnswers.push_back(answer);
        platform.modalAnswer = [this](QDialog& dialog) {
            EXPECT_EQ(&dialog, &form2);
            form2.Button1->click();
            return dialog.result() == QDialog::Accepted;
        };
        form.BitBtn11->click();
    }

    // Pages of a PDF file: its page objects, not the page tree node.
    int PdfPages(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        const QByteArray pdf = file.readAll();
        return int(pdf.count("/Type /Page") - pdf.count("/Type /Pages"));
    }
};

} // namespace

TEST(MapDialog, ControlsNamesAndDefaults)
{
    TForm2 form2;
    EXPECT_EQ(form2.windowTitle(), QStringLiteral("Make Map"));
    auto* size = form2.findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    ASSERT_NE(size, nullptr);
    EXPECT_TRUE(size->isEditable());
    EXPECT_EQ(size->currentText(), QStringLiteral("48x48"));
    EXPECT_EQ(size->count(), 4);
    EXPECT_EQ(form2.findChild<QLabel*>(QStringLiteral("Label11"))->text(), QStringLiteral("Panel Size"));
    const std::pair<const char*, const char*> boxes[] = {
        {"CheckBox42", "Black Grid"},        {"CheckBox43", "Gray Grid"},
        {"CheckBox44", "8 Stud Grid"},       {"CheckBox5", "6 Stud Grid"},
        {"CheckBox4", "NO numbers"},         {"CheckBox1", "Numbers in all Squares"},
        {"CheckBox2", "Fill color squares"}, {"CheckBox3", "Print All Numbers Black"}};
    for (const auto& [name, caption] : boxes) {
        auto* box = form2.findChild<QCheckBox*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box->text(), QString::fromLatin1(caption));
        EXPECT_FALSE(box->isChecked());
    }
    EXPECT_EQ(form2.findChild<QPushButton*>(QStringLiteral("Button1"))->text(), QStringLiteral("Save Map"));
    EXPECT_EQ(form2.findChild<QPushButton*>(QStringLiteral("Button2"))->text(), QStringLiteral("Print Map"));
    EXPECT_EQ(form2.findChild<QPushButton*>(QStringLiteral("Button3"))->text(), QStringLiteral("Cancel"));

    form2.CheckBox5->setChecked(true);
    form2.CheckBox1->setChecked(true);
    size->setCurrentText(QStringLiteral("6x6"));
    const MapOptions options = form2.Options();
    EXPECT_TRUE(options.grid6);
    EXPECT_TRUE(options.numbersInAll);
    EXPECT_FALSE(options.grid8);
    EXPECT_EQ(options.panelSize, "6x6");

    form2.show();
    EXPECT_EQ(form2.windowTitle(), QStringLiteral("Save Map"));
}

TEST(MakeMap, RefusedBeforeDithering)
{
    Windows w;
    w.form.BitBtn11->click();
    EXPECT_EQ(w.platform.LastMessage(),
              QStringLiteral("I can not Print the Map till you have pressed the \"Dither Image\" button."));
    EXPECT_EQ(w.platform.modalCount, 0);
}

TEST(MakeMap, DitherThenSaveMapWritesEveryFileAndPrintsNothing)
{
    Windows w;
    w.Dither();
    w.platform.printPdfPath = w.dir.filePath(QStringLiteral("never.pdf"));
    const int width = w.form.StudImage.Width();
    const int height = w.form.StudImage.Height();
    w.SaveMapAs(w.dir.filePath(QStringLiteral("map.png")));
    EXPECT_TRUE(w.platform.messages.empty()) << w.platform.LastMessage().toStdString();
    EXPECT_EQ(w.platform.printCount, 0);
    ASSERT_EQ(w.platform.fileDialogsShown.size(), 1u);
    EXPECT_EQ(w.platform.fileDialogsShown[0].Filter, QStringLiteral("pngs (*.png)|*.png"));

    const int across = (width + 47) / 48;
    const int down = (height + 143) / 144; // the default style is plates, studs up
    QStringList expected;
    for (int r = 1; r <= down; ++r)
        for (int c = 1; c <= across; ++c)
            expected << QStringLiteral("map_%1-%2.png").arg(r).arg(c);
    expected << QStringLiteral("map_total.png") << QStringLiteral("map.txt");
    QStringList files = QDir(w.dir.path()).entryList(QDir::Files);
    std::sort(expected.begin(), expected.end());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, expected);

    // One line per palette colour and panel, plus the totals; every caption mark is a panel.
    EXPECT_EQ(w.form.TotalsList.size(), w.form.PaletteCount * (across * down + 1));
    EXPECT_EQ(w.form2.windowTitle().count(QStringLiteral(" .")), across * down);
    EXPECT_TRUE(w.form.TotalsList.last().startsWith(QStringLiteral("TOTALS\t")));
}

TEST(MakeMap, UnwritableFolderIsReportedAndTheDialogCloses)
{
    Windows w;
    w.Dither();
    const QString target = w.dir.filePath(QStringLiteral("no/such/map.png"));
    w.SaveMapAs(target);
    EXPECT_EQ(w.platform.LastMessage(),
              QStringLiteral("Cannot create file ") + w.dir.filePath(QStringLiteral("no/such/map_1-1.png")));
    EXPECT_EQ(w.form2.result(), QDialog::Rejected);
    EXPECT_EQ(w.platform.printCount, 0);
}

TEST(MakeMap, CancelledFileDialogWritesNothing)
{
    Windows w;
    w.Dither();
    w.platform.fileAnswers.push_back(std::nullopt);
    w.platform.modalAnswer = [&](QDialog& dialog) {
        w.form2.Button1->click();
        return dialog.result() == QDialog::Accepted;
    };
    w.form.BitBtn11->click();
    EXPECT_TRUE(QDir(w.dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(w.platform.printCount, 0);
}

TEST(MakeMap, PrintMapPrintsOnePagePerPanelAndTheTotals)
{
    Windows w;
    w.Dither();
    w.form.ComboBox1->setCurrentText(QStringLiteral("1x Bricks - studs out"));
    w.form.ComboBox1Change();
    w.form2.ComboBox2->setCurrentText(QStringLiteral("32x32"));
    const QString pdf = w.dir.filePath(QStringLiteral("map.pdf"));
    w.platform.printPdfPath = pdf;
    w.platform.modalAnswer = [&](QDialog&) {
        w.form2.Button2->click();
        return w.form2.result() == QDialog::Accepted;
    };
    w.form.BitBtn11->click();
    EXPECT_TRUE(w.platform.messages.empty()) << w.platform.LastMessage().toStdString();
    EXPECT_EQ(w.platform.printCount, 1);
    const int panels = ((w.form.StudImage.Width() + 31) / 32) * ((w.form.StudImage.Height() + 31) / 32);
    EXPECT_EQ(w.PdfPages(pdf), panels + 1);
    EXPECT_TRUE(w.form.TotalsList.last().startsWith(QStringLiteral("TOTALS\t")));

    // Cancel prints nothing.
    w.platform.modalAnswer = [&](QDialog&) {
        w.form2.Button3->click();
        return w.form2.result() == QDialog::Accepted;
    };
    w.form.BitBtn11->click();
    EXPECT_EQ(w.platform.printCount, 1);
}

TEST(MakeMap, PreviewSavesThePrintedPagesAsPdf)
{
    Windows w;
    w.Dither();
    w.form2.ComboBox2->setCurrentText(QStringLiteral("32x32"));
    const QString printed = w.dir.filePath(QStringLiteral("printed.pdf"));
    w.platform.printPdfPath = printed;
    w.platform.modalAnswer = [&](QDialog&) {
        w.form2.Button2->click();
        return true;
    };
    w.form.BitBtn11->click();
    ASSERT_EQ(w.platform.printCount, 1);

    // The real preview's "Save as PDF..." writes the pages of the preview's page size.
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintPreviewDialog preview(&printer);
    MapJob job{w.form.StudImage,
               w.form.ColorSlots,
               w.form.SelectedColors,
               w.form.PaletteCount,
               w.form.MosaicStyle().toStdString(),
               w.form.CellWidth,
               w.form.CellHeight,
               w.form2.Options(),
               w.form.PanelSheet,
               w.form.TotalsSheet,
               w.form.TotalsList};
    QString failure;
    const QString saved = w.dir.filePath(QStringLiteral("saved.pdf"));
    QAction* action = AddSaveAsPdf(
        preview, printer, [&](QPrinter& target) { PrintMap(job, target); }, [&] { return saved; },
        [&](const QString& text) { failure = text; });
    action->trigger();
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    EXPECT_EQ(w.PdfPages(saved), w.PdfPages(printed));
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("/MediaBox [0 0 595")); // A4, as the preview had it

    // A folder that does not exist: reported, nothing left behind.
    const QString bad = w.dir.filePath(QStringLiteral("no/such/folder/map.pdf"));
    AddSaveAsPdf(
        preview, printer, [&](QPrinter& target) { PrintMap(job, target); }, [&] { return bad; },
        [&](const QString& text) { failure = text; })
        ->trigger();
    EXPECT_TRUE(failure.contains(QStringLiteral("Cannot create file"))) << failure.toStdString();
}

TEST(MakeMap, PrintingAHugeMapIsRefused)
{
    Windows w;
    w.form.Edit2->setText(QStringLiteral("4000"));
    w.Dither();
    // 4000 studs wide at 32 studs a panel: far more panels than can be printed at once.
    w.form2.ComboBox2->setCurrentText(QStringLiteral("32x32"));
    w.platform.printPdfPath = w.dir.filePath(QStringLiteral("huge.pdf"));
    w.platform.modalAnswer = [&](QDialog&) {
        w.form2.Button2->click();
        return w.form2.result() == QDialog::Accepted;
    };
    w.form.BitBtn11->click();
    EXPECT_EQ(w.platform.printCount, 0);
    ASSERT_FALSE(w.platform.messages.empty());
    EXPECT_EQ(w.platform.messages.back().kind, MessageKind::Error);
    EXPECT_TRUE(w.platform.LastMessage().contains(QStringLiteral("can be printed at once")))
        << w.platform.LastMessage().toStdString();
}
