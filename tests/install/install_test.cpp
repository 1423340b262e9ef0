// Installs the build into a temporary prefix and uses what was installed, as a user of
// the installed program would.
#include "support/test_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out, err;
};

Outcome Execute(const QString& program, const QStringList& args, const QString& workDir = QString())
{
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(program, args);
    if (!p.waitForFinished(300000))
        return {-1, QString(), QStringLiteral("did not finish: ") + p.errorString()};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()), QString::fromLocal8Bit(p.readAllStandardError())};
}

QString ReadText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class InstallTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        prefix_ = new QTemporaryDir;
        install_ = new Outcome(
            Execute(QStringLiteral(TESSELKA_CMAKE), {QStringLiteral("--install"), QStringLiteral(TESSELKA_BUILD_DIR),
                                                     QStringLiteral("--prefix"), prefix_->path()}));
    }
    static void TearDownTestSuite()
    {
        delete install_;
        delete prefix_;
    }
    void SetUp() override { ASSERT_EQ(install_->exitCode, 0) << qPrintable(install_->err); }
    static QString Installed(const QString& relative) { return prefix_->filePath(relative); }

    static QTemporaryDir* prefix_;
    static Outcome* install_;
};

QTemporaryDir* InstallTest::prefix_ = nullptr;
Outcome* InstallTest::install_ = nullptr;

const QString AppId = QStringLiteral("org.tesselka.Tesselka");

} // namespace

TEST_F(InstallTest, EveryFileLandsInItsPlace)
{
    QStringList expected = {
        QStringLiteral("bin/tesselka"),
        QStringLiteral("bin/tesselka-cli"),
        QStringLiteral("share/tesselka/ldconfig.ldr"),
        QStringLiteral("share/applications/%1.desktop").arg(AppId),
        QStringLiteral("share/metainfo/%1.metainfo.xml").arg(AppId),
        QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(AppId),
        QStringLiteral("share/man/man1/tesselka-cli.1"),
        QStringLiteral("share/mime/packages/%1.xml").arg(AppId),
    };
    for (int size : {16, 32, 48, 64, 128, 256})
        expected << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId);
    for (const QString& file : expected)
        EXPECT_TRUE(QFileInfo(Installed(file)).isFile()) << qPrintable(file);
    // The colour table lives in the data folder only, so the next test proves it is found there.
    EXPECT_FALSE(QFileInfo::exists(Installed(QStringLiteral("bin/ldconfig.ldr"))));
}

// The installed tesselka-cli, run from elsewhere, finds the installed colour table: the
// model's colours carry LDraw codes, which they lack without it.
TEST_F(InstallTest, InstalledCliConvertsAPictureWithTheInstalledColourTable)
{
    QTemporaryDir work;
    const QString picture = QString::fromStdString(tesselka::test::DataFile("photos/friends_by_Aitzol_Berasategi.jpg"));
    Outcome run = Execute(Installed(QStringLiteral("bin/tesselka-cli")),
                          {QStringLiteral("convert"), picture, QStringLiteral("--width"), QStringLiteral("24"),
                           QStringLiteral("--stud-png"), QStringLiteral("studs.png"), QStringLiteral("--ldraw"),
                           QStringLiteral("model.ldr")},
                          work.path());
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_FALSE(run.err.contains(QStringLiteral("not found"))) << qPrintable(run.err);
    EXPECT_TRUE(QFileInfo(work.filePath(QStringLiteral("studs.png"))).size() > 0);
    const QString model = ReadText(work.filePath(QStringLiteral("model.ldr")));
    EXPECT_TRUE(model.contains(QStringLiteral("\n1 ")));
    EXPECT_FALSE(model.contains(QStringLiteral("\n1 -1 ")));

    // The manual page is made from the same table as --help: every option of one is in the other.
    const QString help = Execute(Installed(QStringLiteral("bin/tesselka-cli")), {QStringLiteral("--help")}).out;
    const QString man = ReadText(Installed(QStringLiteral("share/man/man1/tesselka-cli.1")));
    const QStringList options = [&help] {
        QStringList names;
        for (const QString& line : help.split(QLatin1Char('\n')))
            if (line.startsWith(QStringLiteral("  --")))
                names << line.mid(4).section(QLatin1Char(' '), 0, 0);
        return names;
    }();
    EXPECT_GT(options.size(), 10);
    for (QString name : options)
        EXPECT_TRUE(man.contains(QStringLiteral("\\-\\-") + name.replace(QLatin1Char('-'), QStringLiteral("\\-"))))
            << qPrintable(name);
}

// The desktop entry and the AppStream description pass the desktop's own checkers, and
// the entry's command is the installed program, which starts on a picture it is given.
TEST_F(InstallTest, DesktopFilesValidateAndTheEntryStartsTheProgram)
{
    const struct
    {
        const char* tool;
        QStringList args;
    } checks[] = {
        {"desktop-file-validate", {Installed(QStringLiteral("share/applications/%1.desktop").arg(AppId))}},
        {"appstreamcli",
         {QStringLiteral("validate"), QStringLiteral("--no-net"),
          Installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(AppId))}},
    };
    for (const auto& check : checks) {
        const QString tool = QStandardPaths::findExecutable(QString::fromLatin1(check.tool));
        ASSERT_FALSE(tool.isEmpty()) << check.tool << " is missing: run scripts/install-deps.sh";
        Outcome run = Execute(tool, check.args);
        EXPECT_EQ(run.exitCode, 0) << check.tool << ": " << qPrintable(run.out + run.err);
        EXPECT_FALSE(run.out.contains(QStringLiteral("warning"))) << qPrintable(run.out);
    }

    const QString entry = ReadText(Installed(QStringLiteral("share/applications/%1.desktop").arg(AppId)));
    QString exec;
    for (const QString& line : entry.split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("Exec=")))
            exec = line.mid(5);
    ASSERT_EQ(exec, QStringLiteral("tesselka %f"));
    QProcess program;
    QStringList env = QProcess::systemEnvironment();
    env << QStringLiteral("QT_QPA_PLATFORM=offscreen");
    program.setEnvironment(env);
    program.start(Installed(QStringLiteral("bin/tesselka")),
                  {QString::fromStdString(tesselka::test::DataFile("photos/aitzgorri_by_Aitzol_Berasategi.jpg"))});
    ASSERT_TRUE(program.waitForStarted(10000));
    // Still running after two seconds: it started, read its files and waits for the user.
    EXPECT_FALSE(program.waitForFinished(2000)) << qPrintable(QString::fromLocal8Bit(program.readAllStandardError()));
    program.kill();
    program.waitForFinished(10000);
}
