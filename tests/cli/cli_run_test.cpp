// The command-line program as a user runs it: exit codes, messages and files.
#include "formats/picture_io.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tesselka;

namespace {

struct CliResult
{
    int exitCode = -1;
    QString out, err;
};

CliResult RunCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TESSELKA_CLI), args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// A small picture of stripes in palette-like colours.
QString MakePicture(const QTemporaryDir& dir, const char* name = "in.png")
{
    Bitmap32 b(60, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            b.SetPixel(x, y, Color32(x * 4, y * 6, (x + y) * 2));
    QString path = dir.filePath(QString::fromLatin1(name));
    SavePng(b, path.toStdString());
    return path;
}

} // namespace

TEST(CliRun, VersionHelpAndUsageErrors)
{
    CliResult version = RunCli({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("Version 0.1.18\n"));
    CliResult help = RunCli({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("--stud-png FILE")));

    EXPECT_EQ(RunCli({}).exitCode, 2);
    EXPECT_EQ(RunCli({QStringLiteral("paint")}).exitCode, 2);
    CliResult bad =
        RunCli({QStringLiteral("convert"), QStringLiteral("x.png"), QStringLiteral("--width"), QStringLiteral("0")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err, QStringLiteral("tesselka-cli: --width: '0' is not a whole number from 1 to 4000\n"));
}

TEST(CliRun, MissingOrUnreadablePictureIsOneLineAndStatusOne)
{
    QTemporaryDir dir;
    QString missing = dir.filePath(QStringLiteral("none.png"));
    CliResult r = RunCli({QStringLiteral("convert"), missing, QStringLiteral("--quiet"), QStringLiteral("--stud-png"),
                          dir.filePath(QStringLiteral("s.png"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("tesselka-cli: %1: File not found\n").arg(missing));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("s.png"))));

    QString odd = dir.filePath(QStringLiteral("picture.xyz"));
    QFile(odd).open(QIODevice::WriteOnly);
    r = RunCli({QStringLiteral("convert"), odd, QStringLiteral("--quiet")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("tesselka-cli: %1: Unknown picture file extension (.xyz)\n").arg(odd));
}

TEST(CliRun, WritesEveryOutputAndNothingHalfWritten)
{
    QTemporaryDir dir;
    QString in = MakePicture(dir);
    QStringList outputs = {dir.filePath("stud.png"),   dir.filePath("dith.png"), dir.filePath("adj.png"),
                           dir.filePath("mosaic.png"), dir.filePath("p16.png"),  dir.filePath("model.ldr")};
    CliResult r = RunCli({QStringLiteral("convert"), in, QStringLiteral("--width"), QStringLiteral("30"),
                          QStringLiteral("--stud-png"), outputs[0], QStringLiteral("--dithered"), outputs[1],
                          QStringLiteral("--adjusted"), outputs[2], QStringLiteral("--mosaic"), outputs[3],
                          QStringLiteral("--png16"), outputs[4], QStringLiteral("--ldraw"), outputs[5]});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const QString& file : outputs)
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
    // "1x Plates - studs up" writes the chosen model and three more beside it.
    for (const char* extra : {"model_1.ldr", "model_2.ldr", "model_3.ldr"})
        EXPECT_TRUE(QFile::exists(dir.filePath(QString::fromLatin1(extra)))) << extra;
    Bitmap32 stud = LoadPicture(outputs[0].toStdString());
    EXPECT_EQ(stud.Width(), 30);
    EXPECT_EQ(stud.Height(), 50); // ceil(30 * 5/2 / 1.5)
    Bitmap32 p16 = LoadPicture(outputs[4].toStdString());
    EXPECT_EQ(p16.Width(), 480);
    EXPECT_EQ(p16.Height(), 800);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Loading"))); // progress unless --quiet

    // A target that cannot be written: status 1, the error names it, no file left.
    QString blocked = dir.filePath(QStringLiteral("no/such/folder/out.png"));
    r = RunCli({QStringLiteral("convert"), in, QStringLiteral("--quiet"), QStringLiteral("--png16"), blocked});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("tesselka-cli: ") + blocked + QStringLiteral(": ")))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST(CliRun, UnknownColourTableIsReported)
{
    QTemporaryDir dir;
    QString in = MakePicture(dir);
    QString table = dir.filePath(QStringLiteral("bad.ldr"));
    QFile f(table);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("0 !COLOUR Red CODE four VALUE #FF0000\n");
    f.close();
    CliResult r = RunCli({QStringLiteral("convert"), in, QStringLiteral("--ldconfig"), table});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("tesselka-cli: %1: 'four' is not a valid integer value\n").arg(table));
}
