#include "util_system.h"

#include <gtest/gtest.h>

// Paths from this machine use "/", paths from peers (and anything not starting with "/") use "\".

TEST(UtilSystemPaths, TrimEndSeparatorRemovesOneSeparatorAndKeepsRoots)
{
    EXPECT_EQ(UtilSystem::trimEndSeparator("/a/b/"), "/a/b");
    EXPECT_EQ(UtilSystem::trimEndSeparator("/a//"), "/a/");
    EXPECT_EQ(UtilSystem::trimEndSeparator("/"), "/");
    EXPECT_EQ(UtilSystem::trimEndSeparator("C:\\"), "C:\\");
    EXPECT_EQ(UtilSystem::trimEndSeparator("C:\\dir\\"), "C:\\dir");
    EXPECT_EQ(UtilSystem::trimEndSeparator("a\\"), "a");
    // A relative path is a backslash path: its "/" is an ordinary character.
    EXPECT_EQ(UtilSystem::trimEndSeparator("a/"), "a/");
    EXPECT_EQ(UtilSystem::trimEndSeparator("\\"), "");
    EXPECT_EQ(UtilSystem::trimEndSeparator("\\\\server"), "\\\\server");
    EXPECT_EQ(UtilSystem::trimEndSeparator(""), "");
}

TEST(UtilSystemPaths, AppendEndSeparatorUsesThePathsOwnSeparator)
{
    EXPECT_EQ(UtilSystem::appendEndSeparator(""), "");
    EXPECT_EQ(UtilSystem::appendEndSeparator("C:"), "C:\\");
    EXPECT_EQ(UtilSystem::appendEndSeparator("/a/"), "/a/");
    EXPECT_EQ(UtilSystem::appendEndSeparator("C:\\"), "C:\\");
    EXPECT_EQ(UtilSystem::appendEndSeparator("dir/sub"), "dir/sub\\");
    EXPECT_EQ(UtilSystem::appendEndSeparator("\\\\server"), "\\\\server\\");
}

TEST(UtilSystemPaths, PathJoinWithDerivedSeparatorNeverDropsADoubledOne)
{
    EXPECT_EQ(UtilSystem::pathJoin("/a", "b"), "/a/b");
    EXPECT_EQ(UtilSystem::pathJoin("/a/", "b"), "/a//b");
    EXPECT_EQ(UtilSystem::pathJoin("/", "b"), "//b");
    EXPECT_EQ(UtilSystem::pathJoin("dir", "f"), "dir\\f");
    EXPECT_EQ(UtilSystem::pathJoin("C:\\", "f"), "C:\\\\f");
    EXPECT_EQ(UtilSystem::pathJoin("C:", "f"), "C:\\f");
}

TEST(UtilSystemPaths, PathJoinWithGivenSeparatorSkipsItAfterTheSameCharacter)
{
    EXPECT_EQ(UtilSystem::pathJoin("/a/", "b", "/"), "/a/b");
    EXPECT_EQ(UtilSystem::pathJoin("C:\\x", "b", "/"), "C:\\x/b");
    EXPECT_EQ(UtilSystem::pathJoin("a|", "b", "|"), "a|b");
}

TEST(UtilSystemPaths, PathJoinOntoAnEmptyBaseGivesTheName)
{
    EXPECT_EQ(UtilSystem::pathJoin("", "b"), "b");
    EXPECT_EQ(UtilSystem::pathJoin("", "b", "/"), "b");
}

TEST(UtilSystemPaths, GetFileNameTakesTheLastComponent)
{
    EXPECT_EQ(UtilSystem::getFileName("/a/b/"), "b");
    EXPECT_EQ(UtilSystem::getFileName("/"), "");
    EXPECT_EQ(UtilSystem::getFileName("C:\\"), "");
    EXPECT_EQ(UtilSystem::getFileName("C:\\dir\\f.doc"), "f.doc");
    EXPECT_EQ(UtilSystem::getFileName("dir/f.txt"), "dir/f.txt");
    EXPECT_EQ(UtilSystem::getFileName("C:"), "C:");
    EXPECT_EQ(UtilSystem::getFileName("a\\"), "a");
    EXPECT_EQ(UtilSystem::getFileName("\\\\server"), "server");
    EXPECT_EQ(UtilSystem::getFileName("\\"), "");
    EXPECT_EQ(UtilSystem::getFileName(""), "");
}

TEST(UtilSystemPaths, GetFileExtLooksOnlyAtTheFileName)
{
    EXPECT_EQ(UtilSystem::getFileExt("/x/archive.tar.gz"), "gz");
    EXPECT_EQ(UtilSystem::getFileExt("/x/.profile"), "profile");
    EXPECT_EQ(UtilSystem::getFileExt("/x/name."), "");
    EXPECT_EQ(UtilSystem::getFileExt("/a.b/readme"), "");
    EXPECT_EQ(UtilSystem::getFileExt("C:\\Docs\\Report.DOCX"), "DOCX");
    EXPECT_EQ(UtilSystem::getFileExt("C:\\"), "");
    EXPECT_EQ(UtilSystem::getFileExt("\\"), "");
    EXPECT_EQ(UtilSystem::getFileExt(""), "");
}

TEST(UtilSystemPaths, GetParentPathKeepsRootsAndDrives)
{
    EXPECT_EQ(UtilSystem::getParentPath("/a/b/c"), "/a/b");
    EXPECT_EQ(UtilSystem::getParentPath("/a/b/"), "/a");
    EXPECT_EQ(UtilSystem::getParentPath("/a"), "/");
    EXPECT_EQ(UtilSystem::getParentPath("/"), "/");
    EXPECT_EQ(UtilSystem::getParentPath("C:\\dir\\f"), "C:\\dir");
    EXPECT_EQ(UtilSystem::getParentPath("C:\\dir"), "C:\\");
    EXPECT_EQ(UtilSystem::getParentPath("C:\\"), "C:\\");
    EXPECT_EQ(UtilSystem::getParentPath("file.txt"), "\\");
    EXPECT_EQ(UtilSystem::getParentPath("a\\"), "\\");
    EXPECT_EQ(UtilSystem::getParentPath("\\\\server\\share"), "\\\\server");
    EXPECT_EQ(UtilSystem::getParentPath(""), "");
}

TEST(UtilSystemPaths, ConvertPathMovesBetweenSeparatorStyles)
{
    EXPECT_EQ(UtilSystem::convertPath("C:\\Users\\x", "/Users/me/Docs", "/Users/me/Docs/a/b.txt"),
              "C:\\Users\\x\\a\\b.txt");
    EXPECT_EQ(UtilSystem::convertPath("/home/me/in", "D:\\share", "D:\\share\\sub\\f.txt"),
              "/home/me/in/sub/f.txt");
    EXPECT_EQ(UtilSystem::convertPath("/dst/", "/src", "/src/dir/"), "/dst/dir");
}

TEST(UtilSystemPaths, ConvertPathWithEmptyInputsStaysHarmless)
{
    EXPECT_EQ(UtilSystem::convertPath("/dst", "", "/a/b"), "/dst//a/b");
    EXPECT_EQ(UtilSystem::convertPath("/dst", "/src", ""), "/dst/");
    EXPECT_EQ(UtilSystem::convertPath("", "", ""), "");
}

TEST(UtilSystemPaths, LastComponentSplitsOnTheGivenText)
{
    EXPECT_EQ(lastComponent(".", "photo.JPG"), "JPG");
    EXPECT_EQ(lastComponent(".", "README"), "README");
    EXPECT_EQ(lastComponent(".", "name."), "");
    EXPECT_EQ(lastComponent("", "a.b"), "a.b");
}
