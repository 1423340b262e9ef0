// Build-time tool: writes the manual page of tesselka-cli, made from its option table.
//   tesselka-make-man-page OUT.1
#include "cli/man_page.h"

#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.1\n", argv[0]);
        return 2;
    }
    QFile out(QFile::decodeName(argv[1]));
    const QByteArray page = tesselka::cli::ManPage().toUtf8();
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(page) != page.size() || !out.flush()) {
        std::fprintf(stderr, "%s: can not write\n", argv[1]);
        return 1;
    }
    return 0;
}
