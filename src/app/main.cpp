#include "app/form1.h"
#include "app/form2.h"
#include "app/form3.h"
#include "app/platform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tesselka"));
    // No display name: the platform would append it to every caption, and the main
    // window's caption is the program's own. Message boxes fall back to the name.

    tesselka::QtPlatform platform;
    tesselka::TForm1 form1(platform, QApplication::applicationDirPath());
    tesselka::TForm2 form2(&form1);
    tesselka::TForm3 form3(&form1);
    form1.SetDialogs(&form2, &form3);
    form1.show();
    // `tesselka FILE`, as the desktop entry starts it for a file opened with the program.
    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
        form1.OpenFile(args.at(1));
    return app.exec();
}
