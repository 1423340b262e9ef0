#include "cli/man_page.h"

#include "cli/cli_options.h"
#include "common/version.h"

namespace tesselka::cli {

namespace {

// Text as roff shows it literally: backslashes and minus signs escaped, and no line
// that starts with a control character.
QString Roff(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    out.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

} // namespace

QString ManPage()
{
    QString version = QString::fromLatin1(VersionText).section(QLatin1Char(' '), -1);
    QString page = QStringLiteral(".TH TESSELKA\\-CLI 1 \"\" \"Tesselka %1\" \"User Commands\"\n").arg(version);
    page += QStringLiteral(".SH NAME\n"
                           "tesselka\\-cli \\- turn a picture into a mosaic of building bricks without a window\n"
                           ".SH SYNOPSIS\n"
                           ".B tesselka\\-cli convert\n"
                           ".IR PICTURE | PROJECT.tesselka ...\n"
                           ".RI [ options ]\n"
                           ".br\n"
                           ".B tesselka\\-cli load\\-ldraw\n"
                           ".I MODEL.ldr\n"
                           ".RI [ options ]\n"
                           ".br\n"
                           ".B tesselka\\-cli list\n"
                           ".BR styles | colours | parts\n"
                           ".br\n"
                           ".B tesselka\\-cli\n"
                           ".BR \\-\\-help \" | \" \\-\\-version\n"
                           ".SH DESCRIPTION\n"
                           ".B convert\n"
                           "loads each\n"
                           ".IR PICTURE ,\n"
                           "applies the tone settings, dithers it to the palette, scales it to the mosaic grid and "
                           "writes the outputs asked for, the same files as the window writes for the same settings. "
                           "With several pictures every output name holds {name}, the picture's file name without its "
                           "extension.\n"
                           ".PP\n"
                           "A project (a\n"
                           ".I .tesselka\n"
                           "file, from \\-\\-project or the window's Save Project) is read in place of a picture: "
                           "its settings are the defaults and its grid and edits the mosaic, without a new dither; a "
                           "project saved before Dither Image is dithered like a picture.\n"
                           ".PP\n"
                           ".B load\\-ldraw\n"
                           "reads a model this program wrote and writes the outputs of its grid.\n"
                           ".PP\n"
                           ".B list\n"
                           "prints the style names, the palette or the part sizes that \\-\\-style, \\-\\-palette and "
                           "\\-\\-parts take.\n"
                           ".SH OPTIONS\n");
    for (const OptionDef& option : ConvertOptionTable()) {
        page += QStringLiteral(".TP\n");
        const QString name = Roff(QStringLiteral("--") + QString::fromLatin1(option.name));
        if (*option.valueName)
            page += QStringLiteral(".BI \"%1 \" %2\n").arg(name, QString::fromLatin1(option.valueName));
        else
            page += QStringLiteral(".B %1\n").arg(name);
        page += Roff(QString::fromUtf8(option.help)) + QLatin1Char('\n');
        page += QStringLiteral("Default: %1.").arg(Roff(QString::fromUtf8(option.defaultValue)));
        page += option.loadLdraw
                    ? QStringLiteral("\n")
                    : QStringLiteral(" (convert of a picture, or of a project saved before Dither Image)\n");
    }
    page += QStringLiteral(".SH EXIT STATUS\n"
                           "0 on success, 1 when a file cannot be read or written (with several pictures: when any "
                           "of them failed), 2 for a usage error (among them no output option, and \\-\\-ldraw "
                           "or a parts list with the stud-mix style).\n"
                           ".SH FILES\n"
                           ".TP\n"
                           ".I ldconfig.ldr\n"
                           "The LDraw colour table, looked for beside the program first and then in the installed "
                           "data folder\n"
                           ".IR ../share/tesselka/\n"
                           "seen from the program's folder.\n"
                           ".SH SEE ALSO\n"
                           ".BR tesselka\\-cli \" \\-\\-help\"\n");
    return page;
}

} // namespace tesselka::cli
