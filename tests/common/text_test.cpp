#include "common/error.h"
#include "common/text.h"

#include <gtest/gtest.h>

using namespace tesselka;

TEST(GetField, CountsFromOneAndKeepsEmptyFields)
{
    EXPECT_EQ(GetField("a b c", " ", 1), "a");
    EXPECT_EQ(GetField("a b c", " ", 3), "c");
    EXPECT_EQ(GetField("a  b", " ", 2), ""); // consecutive delimiters give an empty field
    EXPECT_EQ(GetField("a  b", " ", 3), "b");
    EXPECT_EQ(GetField(" a", " ", 1), "");  // a leading delimiter makes field 1 empty
    EXPECT_EQ(GetField("a b", " ", 3), ""); // fewer fields than asked
    EXPECT_EQ(GetField("", " ", 1), "");
    EXPECT_EQ(GetField("a b ", " ", 3), ""); // a trailing delimiter ends with an empty field
}

TEST(GetField, MultiCharacterDelimiterAndLastFieldToTheEnd)
{
    EXPECT_EQ(GetField("x : y : z", " : ", 2), "y");
    EXPECT_EQ(GetField("pen\t1\t2\t3\t0", "\t", 5), "0");
    EXPECT_EQ(GetField("0 Tesselka Style : 1x Plates - studs up", ":", 2), " 1x Plates - studs up");
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutRescanningInsertedText)
{
    EXPECT_EQ(ReplaceAll("a_b_c", "_", " "), "a b c");
    EXPECT_EQ(ReplaceAll("##FF", "#", ""), "FF");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
    // The inserted text contains the searched text; it is not searched again.
    EXPECT_EQ(ReplaceAll("ab", "a", "aa"), "aab");
    EXPECT_EQ(ReplaceAll("xyz", "q", "r"), "xyz");
    EXPECT_EQ(ReplaceAll("", "q", "r"), "");
}

TEST(StrToInt, AcceptsSignedDecimalOnly)
{
    EXPECT_EQ(StrToInt("0"), 0);
    EXPECT_EQ(StrToInt("-17"), -17);
    EXPECT_EQ(StrToInt("+5"), 5);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "-", "12a", "1.5", " 1", "1 ", "2147483648", "0x10", "CODE", "99999999999999999999"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' is not a valid integer value");
        }
    }
}

TEST(IoErrorText, UsesTheStandardTexts)
{
    EXPECT_EQ(IoErrorText(ENOENT), "File not found");
    EXPECT_EQ(IoErrorText(EACCES), "File access denied");
    EXPECT_EQ(IoErrorText(ENOSPC), "Disk full");
    EXPECT_EQ(IoErrorText(ENAMETOOLONG), "File name too long");
}
