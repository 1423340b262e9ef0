// tesselka-cli: the program's pipeline without a window, for batch conversion and scripts.
#include "cli/cli_options.h"
#include "cli/convert.h"
#include "colours/color_table.h"
#include "common/error.h"
#include "common/file_path.h"
#include "common/version.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void Print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The command line prints only its own lines: what Qt and its plug-ins say on their own
// is either turned into our message where it matters (the picture readers catch theirs)
// or of no use to the user.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        Print(stderr, QStringLiteral("tesselka-cli: %1\n").arg(message));
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(QuietQt);
    // Text in the pictures is drawn with QPainter, which needs a platform; no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!getenv("XDG_RUNTIME_DIR")) {
        // Keeps Qt from warning about it on every run; the folder is never written to.
        static std::string runtime = "/tmp/runtime-" + std::to_string(getuid());
        mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
    }
    // The arguments are taken before the application object sees them: it would consume
    // the ones it knows itself, --style among them.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    using namespace tesselka;

    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        Print(args.isEmpty() ? stderr : stdout, cli::HelpText());
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("--version")) {
        Print(stdout, QString::fromLatin1(VersionText) + QLatin1Char('\n'));
        return 0;
    }
    const QString appDir = QCoreApplication::applicationDirPath();
    auto usage = [](const std::exception& e) {
        Print(stderr, QStringLiteral("tesselka-cli: %1\n").arg(QString::fromUtf8(e.what())));
        return 2;
    };
    if (args.first() == QLatin1String("list")) {
        if (args.size() != 2) {
            Print(stderr, QStringLiteral("tesselka-cli: list takes one of styles, colours, parts\n"));
            return 2;
        }
        try {
            const std::optional<std::string> table = FindColorTable(FilePath(appDir));
            Print(stdout, cli::ListText(args[1], table ? QFile::decodeName(table->c_str())
                                                       : appDir + QStringLiteral("/ldconfig.ldr")));
            return 0;
        } catch (const cli::UsageError& e) {
            return usage(e);
        }
    }
    cli::Command command;
    if (args.first() == QLatin1String("convert"))
        command = cli::Command::Convert;
    else if (args.first() == QLatin1String("load-ldraw"))
        command = cli::Command::LoadLdraw;
    else {
        Print(stderr, QStringLiteral("tesselka-cli: unknown command '%1' (try --help)\n").arg(args.first()));
        return 2;
    }
    cli::ConvertOptions options;
    try {
        options = cli::ParseOptions(command, args.mid(1), appDir);
        const std::vector<QString*> outputs = options.Outputs();
        if (std::all_of(outputs.begin(), outputs.end(), [](const QString* f) { return f->isEmpty(); }))
            throw cli::UsageError("nothing to write: name at least one output, such as --stud-png FILE or "
                                  "--mosaic FILE (see --help)");
    } catch (const cli::UsageError& e) {
        return usage(e);
    } catch (const std::exception& e) {
        Print(stderr, QStringLiteral("tesselka-cli: %1\n").arg(QString::fromUtf8(e.what())));
        return 1;
    }
    const int failed = cli::RunAll(
        options, [](const QString& line) { Print(stderr, line + QLatin1Char('\n')); },
        // With a picture or model on standard output ("-"), the names would spoil it.
        [toStdout = QStringList{options.studPng, options.dithered, options.adjusted, options.mosaic, options.png16,
                                options.ldraw}
                        .contains(QStringLiteral("-"))](const QString& file) {
            if (!toStdout)
                Print(stdout, file + QLatin1Char('\n'));
        },
        [](const QString& line) { Print(stderr, QStringLiteral("tesselka-cli: %1\n").arg(line)); });
    return failed > 0 ? 1 : 0;
}
