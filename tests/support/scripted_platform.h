#pragma once

#include "app/platform.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QPrinter>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <optional>

namespace tesselka::test {

// A Platform for tests: file dialogs answer from a queue (an empty optional cancels),
// messages are recorded, modal dialogs run a scripted function and return its result.
class ScriptedPlatform : public Platform
{
public:
    struct Message
    {
        MessageKind kind;
        QString text;
    };

    std::deque<std::optional<QString>> fileAnswers;
    std::vector<FileDialog> fileDialogsShown; // the dialogs as they were when shown
    std::vector<Message> messages;
    // Called with the dialog instead of exec(); default: OK.
    std::function<bool(QDialog&)> modalAnswer = [](QDialog&) { return true; };
    int modalCount = 0;
    int colorDepth = 32;
    // Print previews render straight to this PDF file (nothing is rendered when empty).
    QString printPdfPath;
    int printCount = 0;
    // Long commands: what they said they do, their steps, and the step at which the user
    // presses Cancel (never when negative). Each step notes whether the busy cursor showed.
    std::vector<QString> progressTexts;
    int progressSteps = 0;
    int cancelAtStep = -1;
    bool busyAtEveryStep = true;

    // The windows' settings file: a fresh one per platform, never the build folder's.
    QTemporaryDir settingsDir;
    QString settingsFile = settingsDir.filePath(QStringLiteral("Tesselka.ini"));

    bool ExecuteFileDialog(QWidget*, FileDialog& dialog) override
    {
        fileDialogsShown.push_back(dialog);
        if (fileAnswers.empty())
            return false;
        std::optional<QString> answer = fileAnswers.front();
        fileAnswers.pop_front();
        if (!answer)
            return false;
        dialog.FileName = *answer;
        return true;
    }
    void ShowMessage(QWidget*, MessageKind kind, const QString& text) override { messages.push_back({kind, text}); }
    bool ExecModal(QDialog& dialog) override
    {
        ++modalCount;
        return modalAnswer(dialog);
    }
    int ColorDepth() override { return colorDepth; }
    QString SettingsFileName(const QString&) override { return settingsFile; }
    std::unique_ptr<Progress> StartProgress(QWidget*, const QString& text) override
    {
        progressTexts.push_back(text);
        struct Scripted : Progress
        {
            ScriptedPlatform& platform;
            bool cancellable = true;
            explicit Scripted(ScriptedPlatform& p) : platform(p) {}
            bool Step(int, int) override
            {
                const QCursor* cursor = QApplication::overrideCursor();
                platform.busyAtEveryStep &= cursor && cursor->shape() == Qt::WaitCursor;
                const int step = platform.progressSteps++;
                return !cancellable || platform.cancelAtStep < 0 || step < platform.cancelAtStep;
            }
            void DisableCancel() override { cancellable = false; }
        };
        return std::make_unique<Scripted>(*this);
    }
    void PrintPreview(QWidget*, QPrinter& printer, const std::function<void(QPrinter&)>& render) override
    {
        ++printCount;
        if (printPdfPath.isEmpty())
            return;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printPdfPath);
        render(printer);
    }

    QString LastMessage() const { return messages.empty() ? QString() : messages.back().text; }
};

} // namespace tesselka::test
