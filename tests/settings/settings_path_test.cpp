#include "settings/settings_path.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tesselka;

TEST(SettingsFilePath, BesideTheExecutableOnlyWhenThatFileCanBeReplaced)
{
    QTemporaryDir app, config;
    const QByteArray keptConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const QString beside = app.filePath(QStringLiteral("Tesselka.ini"));
    const QString user = config.filePath(QStringLiteral("Tesselka/Tesselka.ini"));

    struct Case
    {
        const char* what;
        std::function<void()> prepare;
        QString expected;
    };
    const Case cases[] = {
        {"no file: the user's folder", [] {}, user},
        {"a writable file: portable use",
         [&] {
             QFile f(beside);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
         },
         beside},
        {"a read-only file is the user's to keep", [&] { ::chmod(QFile::encodeName(beside).constData(), 0444); }, user},
        {"a folder of that name",
         [&] {
             QFile::remove(beside);
             QDir(app.path()).mkdir(QStringLiteral("Tesselka.ini"));
         },
         user},
    };
    for (const Case& c : cases) {
        c.prepare();
        EXPECT_EQ(SettingsFilePath(app.path()), c.expected) << c.what;
    }
    // The user's folder is made, so that the first save can write there.
    EXPECT_TRUE(QFileInfo(config.filePath(QStringLiteral("Tesselka"))).isDir());

    if (keptConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", keptConfig);
}
