#include "settings/settings_path.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace tesselka {

namespace {

const QString FileName = QStringLiteral("Tesselka.ini");

// The test IniFile::Save applies before it replaces a file (a file without write bits is
// the user's "keep this", even for root), and the folder's, where the replacement is
// made under a temporary name.
bool Replaceable(const QString& file, const QString& folder)
{
    const QByteArray path = QFile::encodeName(file);
    struct stat info;
    if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0)
        return false;
    return ::access(path.constData(), W_OK) == 0 && ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

} // namespace

QString SettingsFilePath(const QString& appDir)
{
    const QString beside = QDir(appDir).filePath(FileName);
    if (Replaceable(beside, appDir))
        return beside;
    // The program's AppConfigLocation, spelt out so that the command line, whose
    // application name differs, finds the same file.
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Tesselka");
    QDir().mkpath(folder);
    return QDir(folder).filePath(FileName);
}

} // namespace tesselka
