#include "app/platform.h"

#include "settings/settings_path.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QStringList>
#include <QToolBar>

namespace tesselka {

namespace {

// Commands shorter than this finish before a dialog would be worth reading.
constexpr int ProgressDelayMs = 1000;
constexpr int ProgressSteps = 1000;

class DialogProgress : public Progress
{
public:
    DialogProgress(QWidget* parent, const QString& text) : parent_(parent), text_(text) { clock_.start(); }

    bool Step(int done, int total) override
    {
        if (!dialog_) {
            // Nor for the last report: the dialog would only flash up and then stand
            // unpainted while the command finishes the work after it.
            if (clock_.elapsed() < ProgressDelayMs || done >= total)
                return true;
            // Window-modal: the window's controls take no input while the command runs,
            // but it still repaints.
            dialog_ = std::make_unique<QProgressDialog>(text_, cancellable_ ? QStringLiteral("Cancel") : QString(), 0,
                                                        ProgressSteps, parent_);
            dialog_->setWindowModality(Qt::WindowModal);
            dialog_->setMinimumDuration(0);
            dialog_->setAutoReset(false);
            dialog_->setAutoClose(false);
            dialog_->show();
        }
        const int value = total > 0 ? int(int64_t(done) * ProgressSteps / total) : 0;
        dialog_->setValue(std::clamp(value, 0, ProgressSteps));
        // setValue lets the dialog see its Cancel button only when the value moves.
        QCoreApplication::processEvents();
        return !cancellable_ || !dialog_->wasCanceled();
    }

    void DisableCancel() override
    {
        cancellable_ = false;
        if (dialog_)
            dialog_->setCancelButton(nullptr);
    }

private:
    QWidget* parent_;
    QString text_;
    bool cancellable_ = true;
    QElapsedTimer clock_;
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace

BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

QString ToQtNameFilters(const QString& filter)
{
    QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // The description usually names its patterns already: "pngs (*.png)".
        if (description.contains(QLatin1Char('(')))
            description = description.left(description.indexOf(QLatin1Char('('))).trimmed();
        result << description + QStringLiteral(" (") + patterns + QStringLiteral(")");
    }
    return result.join(QStringLiteral(";;"));
}

bool QtPlatform::ExecuteFileDialog(QWidget* parent, FileDialog& dialog)
{
    QFileDialog box(parent);
    box.setNameFilters(ToQtNameFilters(dialog.Filter).split(QStringLiteral(";;")));
    if (!dialog.Folder.isEmpty())
        box.setDirectory(dialog.Folder);
    if (!dialog.FileName.isEmpty())
        box.selectFile(dialog.FileName);
    if (dialog.kind == FileDialogKind::Save) {
        box.setAcceptMode(QFileDialog::AcceptSave);
        box.setFileMode(QFileDialog::AnyFile);
        box.setDefaultSuffix(dialog.DefaultExt);
        if (!dialog.OverwritePrompt)
            box.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        box.setAcceptMode(QFileDialog::AcceptOpen);
        box.setFileMode(QFileDialog::ExistingFile);
    }
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return false;
    dialog.FileName = box.selectedFiles().first();
    return true;
}

void QtPlatform::ShowMessage(QWidget* parent, MessageKind kind, const QString& text)
{
    const QString title = QGuiApplication::applicationDisplayName();
    switch (kind) {
    case MessageKind::Information:
        QMessageBox::information(parent, title, text);
        break;
    case MessageKind::Warning:
        QMessageBox::warning(parent, title, text);
        break;
    case MessageKind::Error:
        QMessageBox::critical(parent, title, text);
        break;
    }
}

bool QtPlatform::ExecModal(QDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

int QtPlatform::ColorDepth()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 32;
    // The question is bits per pixel. A true-colour display reports 24 significant bits
    // here, but keeps each pixel in 32 bits, which is what the program needs; only a
    // display with fewer bits really lacks colours.
    int depth = screen->depth();
    return depth == 24 ? 32 : depth;
}

QString QtPlatform::SettingsFileName(const QString& appDir)
{
    return SettingsFilePath(appDir);
}

std::unique_ptr<Progress> QtPlatform::StartProgress(QWidget* parent, const QString& text)
{
    return std::make_unique<DialogProgress>(parent, text);
}

bool SavePreviewAsPdf(const QPrinter& printer, const QString& path, const std::function<void(QPrinter&)>& render)
{
    // Written under another name and renamed when complete, so a failure never leaves a
    // half-written PDF (or nothing at all) under the chosen name.
    const QString partial = path + QStringLiteral(".partial");
    bool ok = false;
    {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setPageLayout(printer.pageLayout());
        pdf.setOutputFileName(partial);
        render(pdf);
        ok = pdf.printerState() != QPrinter::Error && QFileInfo(partial).size() > 0;
    }
    if (ok) {
        QFile::remove(path);
        ok = QFile::rename(partial, path);
    }
    if (!ok)
        QFile::remove(partial);
    return ok;
}

QAction* AddSaveAsPdf(QPrintPreviewDialog& preview, QPrinter& printer, const std::function<void(QPrinter&)>& render,
                      const std::function<QString()>& askPath, const std::function<void(const QString&)>& failed)
{
    auto* action = new QAction(QStringLiteral("Save as PDF..."), &preview);
    action->setObjectName(QStringLiteral("SaveAsPdf"));
    action->setToolTip(QStringLiteral("Save the pages shown as a PDF file"));
    QObject::connect(action, &QAction::triggered, &preview, [&printer, render, askPath, failed] {
        const QString path = askPath();
        if (path.isEmpty())
            return;
        if (!SavePreviewAsPdf(printer, path, render))
            failed(QStringLiteral("Cannot create file %1").arg(path));
    });
    if (QToolBar* bar = preview.findChild<QToolBar*>())
        bar->addAction(action);
    else
        preview.addAction(action);
    return action;
}

void QtPlatform::PrintPreview(QWidget* parent, QPrinter& printer, const std::function<void(QPrinter&)>& render)
{
    QPrintPreviewDialog preview(&printer, parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&render](QPrinter* target) { render(*target); });
    AddSaveAsPdf(
        preview, printer, render,
        [&preview] {
            QString path = QFileDialog::getSaveFileName(&preview, QStringLiteral("Save as PDF"), QString(),
                                                        QStringLiteral("PDF (*.pdf)"));
            if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
                path += QStringLiteral(".pdf");
            return path;
        },
        [this, &preview](const QString& text) { ShowMessage(&preview, MessageKind::Error, text); });
    preview.exec();
}

} // namespace tesselka
