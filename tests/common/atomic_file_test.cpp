#include "common/atomic_file.h"
#include "common/error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
}

// What each kind of target becomes: the table gives the target's kind, what the write
// must leave there, and the message when it is refused.
TEST(AtomicFile, EachKindOfTargetIsTreatedAsTheUserMeans)
{
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    auto put = [](const std::string& path, const char* text) { std::ofstream(path) << text; };
    auto contents = [](const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    put(d + "/real.png", "old");
    ::symlink("real.png", (d + "/link.png").c_str());
    ::symlink("sub/new.png", (d + "/dangling.png").c_str());
    ::mkdir((d + "/sub").c_str(), 0755);
    put(d + "/locked.png", "old");
    ::chmod((d + "/locked.png").c_str(), 0444);
    ::mkdir((d + "/folder.png").c_str(), 0755);
    const std::string longName = d + "/" + std::string(250, 'n') + ".png"; // 254 bytes: the most a name may have

    struct Case
    {
        std::string target;
        std::string message;  // empty: written
        std::string readBack; // the file that must hold "new"
    };
    const std::vector<Case> cases = {
        {d + "/link.png", "", d + "/real.png"},
        {d + "/dangling.png", "", d + "/sub/new.png"},
        {"/dev/null", "", ""},
        {longName, "", longName},
        {d + "/locked.png", d + "/locked.png is read-only", ""},
        {d + "/folder.png", d + "/folder.png is a folder", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        std::string message;
        try {
            AtomicFile file(c.target);
            file.Write("new");
            file.Commit();
        } catch (const IoError& e) {
            message = e.what();
        }
        EXPECT_EQ(message, c.message);
        if (!c.readBack.empty()) {
            EXPECT_EQ(contents(c.readBack), "new");
        }
    }
    struct stat info;
    EXPECT_EQ(::lstat((d + "/link.png").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)); // the link stays a link
    EXPECT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode)); // and /dev/null a device
    EXPECT_EQ(contents(d + "/locked.png"), "old");
    // A writer killed half-way leaves nothing either: its file never had a name.
    const pid_t child = ::fork();
    if (child == 0) {
        AtomicFile file(d + "/killed.png");
        file.Write("half");
        ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_FALSE(std::filesystem::exists(d + "/killed.png"));
    // Nothing temporary is left anywhere.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(d))
        EXPECT_NE(entry.path().filename().string().rfind(".tesselka", 0), 0u) << entry.path();
}
