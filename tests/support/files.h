#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <fstream>
#include <iterator>
#include <string>

namespace tesselka::test {

// A file's bytes as they are on disk; a file that cannot be read gives none, which the
// test's comparison then reports.
inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// The program's colour table copied into `folder`: a window started there reads the real
// colours and keeps its files apart from other tests'.
inline bool CopyColorTable(const QString& folder)
{
    return QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/ldconfig.ldr"),
                       folder + QStringLiteral("/ldconfig.ldr"));
}

} // namespace tesselka::test
