#pragma once

#include <QDialog>
#include <QFont>

namespace tesselka {

// The windows' design font: the sans-serif face at 8 points, 11 pixels at the 96
// pixels per inch the layouts were designed for.
inline QFont DesignFont(QFont base)
{
    base.setFamily(QStringLiteral("Liberation Sans"));
    base.setPixelSize(11);
    return base;
}

// A dialog of a fixed design size with a fixed border, kept above the main window.
inline void SetUpFixedDialog(QDialog& dialog, const char* name, const char* title, int width, int height)
{
    dialog.setObjectName(QString::fromLatin1(name));
    dialog.setWindowTitle(QString::fromLatin1(title));
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog.setFixedSize(width, height);
    dialog.setFont(DesignFont(dialog.font()));
}

} // namespace tesselka
