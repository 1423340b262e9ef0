#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QDialog;
class QPrintPreviewDialog;
class QPrinter;
class QWidget;

namespace tesselka {

enum class MessageKind { Information, Warning, Error };

enum class FileDialogKind { Open, OpenPicture, Save };

// A file dialog of a window: its settings persist between uses, as each command sets
// only what it needs (usually the filter) before showing it.
struct FileDialog
{
    FileDialogKind kind = FileDialogKind::Open;
    QString Filter;     // "Description|*.ext|Description|*.ext"
    QString DefaultExt; // without the dot; appended to a name typed without one
    bool OverwritePrompt = false;
    // Offered when the dialog opens, and the chosen path after a successful Execute. A
    // name without a folder opens in Folder (the dialog's own choice when that is empty).
    QString FileName;
    QString Folder;
};

// The user's view of a long command, from its start until it is destroyed.
class Progress
{
public:
    virtual ~Progress() = default;
    // Reports `done` of `total`; false once the user has asked to cancel.
    virtual bool Step(int done, int total) = 0;
    // From here on the command runs to its end: Cancel is no longer offered and Step
    // returns true.
    virtual void DisableCancel() = 0;
};

// The busy cursor, from construction to destruction: shown at once for every command
// that may take longer than half a second.
class BusyCursor
{
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Everything that would block a test or needs a person: dialogs, message boxes, the
// display. The windows receive one at construction; the real program uses QtPlatform,
// the tests a scripted one.
class Platform
{
public:
    virtual ~Platform() = default;

    // Shows the dialog; on OK stores the chosen path in dialog.FileName and returns true.
    virtual bool ExecuteFileDialog(QWidget* parent, FileDialog& dialog) = 0;
    // A modal message box with a single OK button.
    virtual void ShowMessage(QWidget* parent, MessageKind kind, const QString& text) = 0;
    // Runs a modal dialog; true when it closed with OK.
    virtual bool ExecModal(QDialog& dialog) = 0;
    // Bits per pixel of the display.
    virtual int ColorDepth() = 0;
    // The settings file of the program installed in `appDir`.
    virtual QString SettingsFileName(const QString& appDir) = 0;
    // Starts reporting a long command that can stop cleanly: `text` says what it does.
    virtual std::unique_ptr<Progress> StartProgress(QWidget* parent, const QString& text) = 0;
    // Shows a composed document in a print preview, from which the user prints it;
    // `render` draws the document on whichever printer it is handed.
    virtual void PrintPreview(QWidget* parent, QPrinter& printer, const std::function<void(QPrinter&)>& render) = 0;
};

// The real dialogs and message boxes.
class QtPlatform : public Platform
{
public:
    bool ExecuteFileDialog(QWidget* parent, FileDialog& dialog) override;
    void ShowMessage(QWidget* parent, MessageKind kind, const QString& text) override;
    bool ExecModal(QDialog& dialog) override;
    int ColorDepth() override;
    QString SettingsFileName(const QString& appDir) override;
    // A progress dialog with Cancel, once the command has run for about a second.
    std::unique_ptr<Progress> StartProgress(QWidget* parent, const QString& text) override;
    void PrintPreview(QWidget* parent, QPrinter& printer, const std::function<void(QPrinter&)>& render) override;
};

// Draws the pages `render` gives on a PDF of `printer`'s page layout at `path`; false
// when the file could not be written (nothing is then left under `path`).
bool SavePreviewAsPdf(const QPrinter& printer, const QString& path, const std::function<void(QPrinter&)>& render);

// Adds "Save as PDF..." to a print preview's tool bar: the pages the preview shows, with
// the page size and printer settings it has at that moment, saved to the file `askPath`
// names (nothing when it gives an empty name); `failed` reports a file not written.
QAction* AddSaveAsPdf(QPrintPreviewDialog& preview, QPrinter& printer, const std::function<void(QPrinter&)>& render,
                      const std::function<QString()>& askPath, const std::function<void(const QString&)>& failed);

// "Desc|*.a;*.b|Desc2|*.c" as Qt name filters "Desc (*.a *.b);;Desc2 (*.c)".
QString ToQtNameFilters(const QString& filter);

} // namespace tesselka
