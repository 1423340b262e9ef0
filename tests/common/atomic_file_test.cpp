#include "common/atomic_file.h"
#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tesselka;

namespace {

QByteArray Contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(AtomicFile, TheTargetChangesOnlyOnCommit)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("model.ldr"));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ::chmod(QFile::encodeName(target).constData(), 0640);
    {
        AtomicFile file(target.toStdString());
        file.Write("new ");
        file.Write("text");
        EXPECT_EQ(Contents(target), QByteArray("old")); // not yet
        // Dropped without Commit: as if never written.
    }
    EXPECT_EQ(Contents(target), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);

    AtomicFile file(target.toStdString());
    file.Write("new text");
    file.Commit();
    EXPECT_EQ(Contents(target), QByteArray("new text"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u); // an existing file keeps its permissions
}

TEST(AtomicFile, FailuresUseTheStandardTexts)
{
    QTemporaryDir dir;
    const std::string missing = dir.filePath(QStringLiteral("no/such/folder/x.png")).toStdString();
    try {
        AtomicFile file(missing);
        ADD_FAILURE() << "created a file in a missing folder";
    } catch (const IoError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    try {
        AtomicFile file(missing, "Cannot create file " + missing);
        ADD_FAILURE() << "created a file in a missing folder";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + missing);
    }
    // A target that is a folder cannot be replaced by a file.
    const std::string folder = dir.path().toStdString();
    QDir(dir.path()).mkdir(QStringLiteral("taken"));
    AtomicFile file(folder + "/taken");
    file.Write("x");
    EXPECT_THROW(file.Commit(), IoError);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);
}
