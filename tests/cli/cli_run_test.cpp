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

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
    r = RunCli({QStringLiteral("convert"), odd, QStringLiteral("--quiet"), QStringLiteral("--stud-png"),
                dir.filePath(QStringLiteral("s.png"))});
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

TEST(CliRun, ListsWithoutTheModelAndTheMapAsPdf)
{
    QTemporaryDir dir;
    const QString in = MakePicture(dir);
    CliResult r = RunCli({QStringLiteral("convert"), in, QStringLiteral("--width=30"),
                          QStringLiteral("--style=1x Plates - studs out"), QStringLiteral("--parts-list"),
                          dir.filePath("parts.csv"), QStringLiteral("--wanted-list"), dir.filePath("wanted.xml"),
                          QStringLiteral("--extra-lists"), QStringLiteral("--map-pdf"), dir.filePath("map.pdf"),
                          QStringLiteral("--paper=a4"), QStringLiteral("--panel-size=8x8")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // No model, a pair of lists for each of the style's six files, and the PDF.
    const QStringList files = QDir(dir.path())
                                  .entryList({QStringLiteral("*.csv"), QStringLiteral("*.xml"), QStringLiteral("*.ldr"),
                                              QStringLiteral("*.pdf")},
                                             QDir::Files, QDir::Name);
    EXPECT_EQ(files.size(), 13) << files.join(' ').toStdString();
    EXPECT_TRUE(files.contains("parts_5a.csv") && files.contains("wanted_5a.xml") && files.contains("map.pdf"));
    EXPECT_TRUE(r.out.contains(dir.filePath("wanted_2a.xml")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("The main model has ")));
    QFile pdf(dir.filePath("map.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    // 30 x 30 studs on 30-stud sheets: one panel page and the totals, on A4.
    EXPECT_EQ(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), 2);
    EXPECT_TRUE(bytes.contains("/MediaBox [0 0 595"));

    // The lists need a style with a model: a usage error, found before the picture is read.
    r = RunCli({QStringLiteral("convert"), in, QStringLiteral("--quiet"),
                QStringLiteral("--style=1x Plates - stud mix"), QStringLiteral("--wanted-list"),
                dir.filePath("mix.xml")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("has no LDraw model"))) << r.err.toStdString();
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
    CliResult r = RunCli({QStringLiteral("convert"), in, QStringLiteral("--ldconfig"), table,
                          QStringLiteral("--stud-png"), dir.filePath(QStringLiteral("s.png"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, QStringLiteral("tesselka-cli: %1: 'four' is not a valid integer value\n").arg(table));
}

// Faults found before any work or reported instead of silently giving wrong files: each
// case names its arguments (after the picture), the exit status and the start of the
// message; none leaves a file behind.
TEST(CliRun, FaultsOfTheCommandLine)
{
    QTemporaryDir dir;
    const QString in = MakePicture(dir);
    const QString studs = dir.filePath(QStringLiteral("studs.png"));
    const QString missing = dir.filePath(QStringLiteral("none.ldr"));
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    QFile text(plain);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("no colours here\n");
    text.close();
    const struct
    {
        QStringList args;
        int exitCode;
        QString message;
    } cases[] = {
        {{QStringLiteral("--ldconfig"), missing, QStringLiteral("--stud-png"), studs},
         1,
         missing + QStringLiteral(": File not found")},
        {{QStringLiteral("--ldconfig"), plain, QStringLiteral("--stud-png"), studs},
         1,
         plain + QStringLiteral(": no colour lines")},
        {{QStringLiteral("--style"), QStringLiteral("1x Plates - stud mix"), QStringLiteral("--stud-png"), studs,
          QStringLiteral("--ldraw"), dir.filePath(QStringLiteral("m.ldr"))},
         2,
         QStringLiteral("--ldraw: the style \"1x Plates - stud mix\" has no LDraw model")},
        {{QStringLiteral("--width"), QStringLiteral("20")}, 2, QStringLiteral("nothing to write: ")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const CliResult r = RunCli(QStringList{QStringLiteral("convert"), in, QStringLiteral("--quiet")} + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("tesselka-cli: ") + c.message)) << r.err.toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
                  (QStringList{QStringLiteral("in.png"), QStringLiteral("plain.txt")}));
    }
}

// Without the table beside the program: a warning even with --quiet, models in Black (0),
// never the non-colour -1; and the list of written files names every file, each map panel
// included.
TEST(CliRun, WithoutTheDefaultTableWarnsAndListsEveryFile)
{
    QTemporaryDir dir;
    const QString in = MakePicture(dir);
    const QString program = dir.filePath(QStringLiteral("tesselka-cli"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TESSELKA_CLI), program));
    QDir(dir.path()).mkdir(QStringLiteral("out"));
    QProcess p;
    p.start(program,
            {QStringLiteral("convert"), in, QStringLiteral("--quiet"), QStringLiteral("--width"), QStringLiteral("40"),
             QStringLiteral("--ldraw"), dir.filePath(QStringLiteral("out/m.ldr")), QStringLiteral("--map"),
             dir.filePath(QStringLiteral("out/map.png")), QStringLiteral("--panel-size"), QStringLiteral("32x32")});
    ASSERT_TRUE(p.waitForFinished(120000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    ASSERT_EQ(p.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("ldconfig.ldr (nor ")) &&
                err.contains(QStringLiteral("): not found; the palette keeps its designed colours and the LDraw "
                                            "models are all Black (colour 0)")))
        << err.toStdString();

    QStringList listed = QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList present;
    for (const QString& name : QDir(dir.filePath(QStringLiteral("out"))).entryList(QDir::Files))
        present << dir.filePath(QStringLiteral("out/") + name);
    listed.sort();
    present.sort();
    EXPECT_EQ(listed, present);
    EXPECT_GE(present.filter(QStringLiteral("/map_")).size(), 3) << "two panels and the totals";

    QFile model(dir.filePath(QStringLiteral("out/m.ldr")));
    ASSERT_TRUE(model.open(QIODevice::ReadOnly));
    const QByteArray text = model.readAll();
    EXPECT_TRUE(text.contains("\r\n1 0 "));
    EXPECT_FALSE(text.contains("\n1 -1 "));
    EXPECT_FALSE(text.contains(": -1\r\n"));
}

// The window's very tall picture: only the grid the style shows is made.
TEST(CliRun, TallPictureNeedsOnlyItsOwnGrid)
{
    QTemporaryDir dir;
    Bitmap32 tall(1, 1400);
    tall.Clear(0xFF808080u);
    const QString in = dir.filePath(QStringLiteral("tall.png"));
    SavePng(tall, in.toStdString());
    const QString studs = dir.filePath(QStringLiteral("s.png"));
    const CliResult r = RunCli({QStringLiteral("convert"), in, QStringLiteral("--quiet"), QStringLiteral("--width=100"),
                                QStringLiteral("--style=2x Bricks - studs out"), QStringLiteral("--stud-png"), studs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const Bitmap32 grid = LoadPicture(studs.toStdString());
    EXPECT_EQ(grid.Width(), 100);
    EXPECT_NEAR(grid.Height(), 70000, 1); // as the window makes it
}

TEST(CliRun, BatchWithNamesGoesOnPastAFailure)
{
    QTemporaryDir dir;
    const QStringList pictures = {MakePicture(dir, "a.png"), MakePicture(dir, "b.png"),
                                  dir.filePath(QStringLiteral("broken.png")), MakePicture(dir, "c.png")};
    QFile(pictures[2]).open(QIODevice::WriteOnly);
    const QString out = dir.filePath(QStringLiteral("out/{name}.png"));
    QDir(dir.path()).mkpath(QStringLiteral("out"));
    CliResult r = RunCli(QStringList{QStringLiteral("convert")} + pictures +
                         QStringList{QStringLiteral("--quiet"), QStringLiteral("-j"), QStringLiteral("3"),
                                     QStringLiteral("--width=20"), QStringLiteral("--png16"), out});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("tesselka-cli: ") + pictures[2])) << r.err.toStdString();
    // The others are written whole, the same as one at a time.
    for (const char* name : {"a", "b", "c"}) {
        const QString file = dir.filePath(QStringLiteral("out/%1.png").arg(QLatin1String(name)));
        EXPECT_TRUE(r.out.contains(file)) << name;
        const QString single = dir.filePath(QStringLiteral("single.png"));
        ASSERT_EQ(RunCli({QStringLiteral("convert"), dir.filePath(QStringLiteral("%1.png").arg(QLatin1String(name))),
                          QStringLiteral("--quiet"), QStringLiteral("--width=20"), QStringLiteral("--png16"), single})
                      .exitCode,
                  0);
        EXPECT_TRUE(Bytes(file) == Bytes(single)) << name;
    }
}

TEST(CliRun, LoadLdrawWritesTheOutputsOfTheModelsGrid)
{
    QTemporaryDir dir;
    const QString in = MakePicture(dir);
    auto path = [&dir](const char* name) { return dir.filePath(QLatin1String(name)); };
    const QStringList common = {QStringLiteral("--quiet"),     QStringLiteral("--palette=all"),
                                QStringLiteral("--scale=2"),   QStringLiteral("--black-grid"),
                                QStringLiteral("--parts=all"), QStringLiteral("--panel-size=32x32")};
    ASSERT_EQ(RunCli(QStringList{QStringLiteral("convert"), in, QStringLiteral("--width=30"),
                                 QStringLiteral("--style=1x Bricks - studs out"), QStringLiteral("--ldraw"),
                                 path("model.ldr"), QStringLiteral("--stud-png"), path("a_studs.png"),
                                 QStringLiteral("--mosaic"), path("a_mosaic.png"), QStringLiteral("--map"),
                                 path("a_map.png")} +
                     common)
                  .exitCode,
              0);
    CliResult r = RunCli(QStringList{QStringLiteral("load-ldraw"), path("model.ldr"), QStringLiteral("--ldraw"),
                                     path("again.ldr"), QStringLiteral("--stud-png"), path("b_studs.png"),
                                     QStringLiteral("--mosaic"), path("b_mosaic.png"), QStringLiteral("--map"),
                                     path("b_map.png")} +
                         common);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The model holds the whole grid: every picture and map file comes out the same.
    for (const char* name : {"studs.png", "mosaic.png", "map_1-1.png", "map_total.png", "map.txt"}) {
        const QByteArray a = Bytes(path((std::string("a_") + name).c_str()));
        EXPECT_FALSE(a.isEmpty()) << name;
        EXPECT_TRUE(a == Bytes(path((std::string("b_") + name).c_str()))) << name;
    }
    // Packed again with the same sizes, only the model's name in its header differs.
    QByteArray model = Bytes(path("model.ldr")), again = Bytes(path("again.ldr"));
    EXPECT_EQ(model.replace("model.ldr", "again.ldr"), again);

    // Files it did not write, and hostile ones, end with the reader's message.
    struct Hostile
    {
        const char* text;
        const char* message;
    } hostile[] = {
        {"0 Untitled\r\n1 4 0 0 0 1 0 0 0 1 0 0 0 1 3005.DAT\r\n",
         "I can not load this .dat file.  It was not made with Tesselka!"},
        {"0 Tesselka\r\n0 Tesselka Width : 99999999\r\n", "The model's Width (99999999) is not a picture size"},
        // Each side within the limits, the whole far beyond what a picture may hold.
        {"0 Tesselka\r\n0 Tesselka Width : 100000\r\n0 Tesselka Height : 100000\r\n", ""},
        {"0 Tesselka\r\n0 Tesselka Height : many\r\n", "'many' is not a valid integer value"},
    };
    for (const Hostile& h : hostile) {
        QFile f(path("hostile.ldr"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(h.text);
        f.close();
        r = RunCli({QStringLiteral("load-ldraw"), path("hostile.ldr"), QStringLiteral("--stud-png"), path("h.png")});
        EXPECT_EQ(r.exitCode, 1) << h.text;
        EXPECT_TRUE(r.err.contains(QLatin1String(h.message))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("h.png")));
    }
}

TEST(CliRun, AProjectIsReadInPlaceOfItsPicture)
{
    QTemporaryDir dir;
    const QString in = MakePicture(dir);
    auto path = [&dir](const char* name) { return dir.filePath(QLatin1String(name)); };
    auto outputs = [&path](const char* prefix) {
        QStringList args;
        for (const char* option : {"stud-png", "mosaic", "map", "ldraw"})
            args << QStringLiteral("--%1=%2").arg(QLatin1String(option), path((std::string(prefix) + option).c_str()));
        return args;
    };
    const QStringList common = {QStringLiteral("--quiet"), QStringLiteral("--scale=2"), QStringLiteral("--parts=all"),
                                QStringLiteral("--panel-size=8x8")};
    // Settings away from the defaults: the project must carry them to its second run.
    ASSERT_EQ(RunCli(QStringList{QStringLiteral("convert"), in, QStringLiteral("--width=30"),
                                 QStringLiteral("--style=1x Bricks - studs out"), QStringLiteral("--dither=floyd"),
                                 QStringLiteral("--palette=all"), QStringLiteral("--contrast=40"),
                                 QStringLiteral("--grayscale"), QStringLiteral("--project"), path("p.tesselka")} +
                     common + outputs("a_"))
                  .exitCode,
              0);
    CliResult r = RunCli(QStringList{QStringLiteral("convert"), path("p.tesselka")} + common + outputs("b_"));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char* name : {"stud-png", "mosaic", "map_1-1.png", "map_total.png", "map.txt", "ldraw"}) {
        QByteArray a = Bytes(path((std::string("a_") + name).c_str()));
        EXPECT_FALSE(a.isEmpty()) << name;
        // The model names itself in its header.
        EXPECT_TRUE(a.replace("a_ldraw", "b_ldraw") == Bytes(path((std::string("b_") + name).c_str()))) << name;
    }

    // The grid is made: what would make another is refused, not ignored. Damaged and
    // hostile projects end with the reader's message; nothing is written for any.
    const QByteArray project = Bytes(path("p.tesselka"));
    struct Refused
    {
        QByteArray bytes;
        QString option;
        const char* message;
    } refused[] = {
        {project, QStringLiteral("--width=20"), "the project holds its grid already; --width only applies"},
        {project, QStringLiteral("--project=") + path("again.tesselka"), "--project only applies to a picture"},
        {project.left(project.size() / 2), QStringLiteral("--quiet"), "damaged or not a project"},
        {QByteArray("PK\x03\x04 not really"), QStringLiteral("--quiet"), "damaged or not a project"},
    };
    for (const Refused& c : refused) {
        QFile f(path("h.tesselka"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.bytes);
        f.close();
        r = RunCli(
            {QStringLiteral("convert"), path("h.tesselka"), c.option, QStringLiteral("--stud-png"), path("h.png")});
        EXPECT_NE(r.exitCode, 0) << c.message;
        EXPECT_TRUE(r.err.contains(QLatin1String(c.message))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("h.png")));
        EXPECT_FALSE(QFile::exists(path("again.tesselka")));
    }
}

TEST(CliRun, ListPrintsWhatTheOptionsTake)
{
    CliResult r = RunCli({QStringLiteral("list"), QStringLiteral("styles")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("2x Bricks - studs out\n")));
    EXPECT_EQ(RunCli({QStringLiteral("list"), QStringLiteral("bricks")}).exitCode, 2);
    EXPECT_TRUE(RunCli({QStringLiteral("--help")}).out.contains(QStringLiteral("list styles|colours|parts")));
}
