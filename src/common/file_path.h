#pragma once

#include <QFile>
#include <QString>

#include <string>

namespace tesselka {

// A path as the core takes it: the file system's own bytes for a name from a dialog,
// a settings file or the command line.
inline std::string FilePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace tesselka
