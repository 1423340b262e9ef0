#include "common/error.h"
#include "settings/ini_file.h"
#include "support/files.h"

#include <QTemporaryDir>

#include <filesystem>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tesselka;
using tesselka::test::ReadFile;
using tesselka::test::WriteFile;

TEST(IniFile, ReadsKeysOfTheirOwnSectionOnly)
{
    const IniFile ini("top=outside\n"
                      "[One]\r\n"
                      "  Key = spaced value  \r\n"
                      "; comment=not a key\r\n"
                      "empty=\r"
                      "[two]\n"
                      "Key=second\n"
                      "Key=shadowed\n"
                      "[One]\n"
                      "Late=in a repeated section\n");
    EXPECT_EQ(ini.Read("One", "Key"), "spaced value");
    EXPECT_EQ(ini.Read("ONE", "key"), "spaced value"); // names match without case
    EXPECT_EQ(ini.Read("One", "empty"), "");
    EXPECT_EQ(ini.Read("One", "; comment"), std::nullopt);
    EXPECT_EQ(ini.Read("One", "top"), std::nullopt);
    EXPECT_EQ(ini.Read("Two", "Key"), "second");
    EXPECT_EQ(ini.Read("One", "Late"), std::nullopt); // only the first section of a name
    EXPECT_EQ(ini.Read("Three", "Key"), std::nullopt);
    EXPECT_TRUE(ini.HasSection("two"));
    EXPECT_FALSE(ini.HasSection("Three"));
}

TEST(IniFile, WriteOverwritesInPlaceAndKeepsEverythingElse)
{
    IniFile ini("; my notes\n"
                "[Other]\n"
                "keep=this\n"
                "[Form]\n"
                "b=old\n"
                "unknown=stays\n"
                "\n"
                "[Last]\n"
                "x=1\n");
    ini.Write("Form", "B", "new");   // overwrites, keeping the file's spelling of the key
    ini.Write("Form", "c", "added"); // after the section's last key, before the blank line
    ini.Write("Fresh", "k", "line\r\nbreak");
    EXPECT_EQ(ini.Text(), "; my notes\r\n"
                          "[Other]\r\n"
                          "keep=this\r\n"
                          "[Form]\r\n"
                          "b=new\r\n"
                          "unknown=stays\r\n"
                          "c=added\r\n"
                          "\r\n"
                          "[Last]\r\n"
                          "x=1\r\n"
                          "\r\n"
                          "[Fresh]\r\n"
                          "k=line  break\r\n");
    EXPECT_EQ(IniFile(ini.Text()).Read("fresh", "K"), "line  break");
}

TEST(IniFile, DamagedTextReadsWhatItCan)
{
    // A line beyond the length limit is never read, even if it looks like a key; it is
    // kept as it was.
    const std::string huge = "a=" + std::string(IniFile::MaxLineLength, 'x');
    std::string text = "[S]\n" + huge + "\n\x01\xff garbage [\n=no key\n[unclosed\nb=2\n";
    text += std::string("c=with\0nul", 10);
    IniFile ini(text);
    EXPECT_EQ(ini.Read("S", "a"), std::nullopt);
    EXPECT_EQ(ini.Read("S", "b"), "2");
    EXPECT_EQ(ini.Read("S", ""), std::nullopt);
    EXPECT_EQ(ini.Read("S", "c"), std::string("with\0nul", 8));
    ini.Write("S", "b", "3");
    EXPECT_NE(ini.Text().find(huge + "\r\n"), std::string::npos);
}

TEST(IniFile, LoadAndSaveGuardTheUsersFile)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("s.ini")).toStdString();
    EXPECT_FALSE(IniFile::Load(path).HasSection("S")); // missing: empty, no error

    IniFile ini;
    ini.Write("S", "k", "v");
    ini.Save(path);
    EXPECT_EQ(ReadFile(path), "[S]\r\nk=v\r\n");
    EXPECT_EQ(IniFile::Load(path).Read("S", "k"), "v");

    // Read-only: refused, even for a user whose rights would let the write through.
    ::chmod(path.c_str(), 0444);
    ini.Write("S", "k", "changed");
    try {
        ini.Save(path);
        FAIL() << "a read-only file was replaced";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), path + " is read-only");
    }
    EXPECT_EQ(ReadFile(path), "[S]\r\nk=v\r\n");
    ::chmod(path.c_str(), 0644);

    // Too large: refused before it is read.
    WriteFile(path, std::string(IniFile::MaxFileSize + 1, '\n'));
    EXPECT_THROW(IniFile::Load(path), Error);
    // A folder is no settings file.
    EXPECT_THROW(IniFile::Load(dir.path().toStdString()), IoError);
}
