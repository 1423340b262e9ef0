#pragma once

#include "app/form1.h"
#include "app/form2.h"
#include "app/form3.h"
#include "support/scripted_platform.h"

#include <QCoreApplication>

namespace tesselka::test {

// The main window as the program sets it up, for a test: both dialogs attached, shown
// once (nothing is restored: the platform's settings file is a fresh one) and the
// messages of the start cleared. `appDir` is where ldconfig.ldr is read from; a
// `settingsFile` given replaces the fresh one, before the window first reads it.
struct MainWindow
{
    explicit MainWindow(const QString& appDir = QCoreApplication::applicationDirPath(),
                        const QString& settingsFile = QString())
        : form(WithSettings(platform, settingsFile), appDir), form2(&form), form3(&form)
    {
        form.SetDialogs(&form2, &form3);
        form.show();
        platform.messages.clear();
    }

    ScriptedPlatform platform;
    TForm1 form;
    TForm2 form2;
    TForm3 form3;

private:
    static ScriptedPlatform& WithSettings(ScriptedPlatform& platform, const QString& settingsFile)
    {
        if (!settingsFile.isEmpty())
            platform.settingsFile = settingsFile;
        return platform;
    }
};

} // namespace tesselka::test
