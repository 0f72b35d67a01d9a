#include "util_system.h"

#include "captured_output.h"
#include "test_home.h"
#include "unprivileged_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void makeLink(const QString &target, const QString &link)
{
    ASSERT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
}

class UtilSystemFiles : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(scratch.isValid()); }
    QString at(const QString &name) const { return scratch.filePath(name); }

    QTemporaryDir scratch{TestHome::path() + "/scratch-XXXXXX"};
};

} // namespace

TEST_F(UtilSystemFiles, ListingFiltersByKindAndNameAndSkipsHiddenEntries)
{
    writeFile(at("Report.docx"), "r");
    writeFile(at("notes.txt"), "n");
    writeFile(at(".hidden"), "h");
    QDir(scratch.path()).mkdir("mydocs");
    QDir(scratch.path()).mkdir(".config");
    makeLink(at("mydocs"), at("linkdir"));

    auto sorted = [&](std::uint8_t kind, const QString &filter) {
        QStringList names = UtilSystem::getFileList(scratch.path(), kind, filter);
        names.sort();
        return names;
    };
    CapturedOutput printed;
    EXPECT_EQ(sorted(0, ""), QStringList({"Report.docx", "linkdir", "mydocs", "notes.txt"}));
    EXPECT_EQ(sorted(1, ""), QStringList({"linkdir", "mydocs"}));
    EXPECT_EQ(sorted(2, ""), QStringList({"Report.docx", "notes.txt"}));
    EXPECT_EQ(sorted(7, "TXT"), QStringList({"notes.txt"}));
    EXPECT_EQ(sorted(0, "DOC"), QStringList({"Report.docx", "mydocs"}));
    EXPECT_EQ(UtilSystem::filterNames({"b.PNG", "a.txt", "png"}, "Png"), QStringList({"b.PNG", "png"}));
    // Missing folders, files and "" (which must not mean the current folder) list nothing.
    EXPECT_TRUE(UtilSystem::getFileList(at("missing"), 0, "").isEmpty());
    EXPECT_TRUE(UtilSystem::getFileList(at("notes.txt"), 0, "").isEmpty());
    EXPECT_TRUE(UtilSystem::getFileList("", 0, "").isEmpty());
    EXPECT_EQ(printed.text(), "");
}

TEST_F(UtilSystemFiles, ListingOfAnUnreadableFolderPrintsTheReasonAlone)
{
    EXPECT_EQ(runUnprivileged([](const QString &base) -> std::string {
                  const QString locked = base + "/locked";
                  if (!QDir().mkdir(locked) || chmod(QFile::encodeName(locked).constData(), 0) != 0)
                      return "setup failed";
                  CaptureStdout();
                  const QStringList names = UtilSystem::getFileList(locked, 0, "");
                  const std::string printed = GetCapturedStdout();
                  if (!names.isEmpty())
                      return "names listed";
                  if (printed.size() < 2 || printed.back() != '\n' || printed.find("Error") == 0)
                      return "printed: " + printed;
                  return {};
              }),
              "");
}

TEST_F(UtilSystemFiles, PathTypeTellsFoldersFilesAndNothingApart)
{
    writeFile(at("f"), "x");
    QDir(scratch.path()).mkdir("d");
    makeLink("nowhere", at("dangling"));
    EXPECT_EQ(UtilSystem::getPathType(at("d")), 2);
    EXPECT_EQ(UtilSystem::getPathType(at("f")), 1);
    EXPECT_EQ(UtilSystem::getPathType(at("missing")), 0);
    EXPECT_EQ(UtilSystem::getPathType(at("dangling")), 0);
    EXPECT_EQ(UtilSystem::getPathType(""), 0);
    EXPECT_FALSE(UtilSystem::isFile(at("d")));
}

TEST_F(UtilSystemFiles, CreateDirMakesParentsAndReportsAFileInTheWay)
{
    writeFile(at("plain"), "x");
    CaptureStdout();
    UtilSystem::createDirIfNotExist(at("a/b/c"));
    UtilSystem::createDirIfNotExist(at("a/b/c"));
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(UtilSystem::getPathType(at("a/b/c")), 2);

    CaptureStdout();
    UtilSystem::createDirIfNotExist(at("plain"));
    EXPECT_EQ(GetCapturedStdout(), "Error: " + std::string(std::strerror(EEXIST)) + "\n");
    EXPECT_EQ(UtilSystem::getPathType(at("plain")), 1);
}

TEST(UtilSystemDocuments, DocumentPathIsInTheUsersDocumentsFolderWhichExists)
{
    EXPECT_EQ(UtilSystem::getDocumentPath("Fenmar"), TestHome::path() + "/Documents/Fenmar");
    EXPECT_TRUE(QFileInfo(TestHome::path() + "/Documents").isDir());
}

TEST_F(UtilSystemFiles, FileSizeIsTheByteCountOrZero)
{
    writeFile(at("five"), "12345");
    EXPECT_EQ(UtilSystem::getFileSize(at("five")), 5);
    EXPECT_EQ(UtilSystem::getFileSize(at("missing")), 0);
    EXPECT_EQ(UtilSystem::getFileSize(""), 0);
}

TEST_F(UtilSystemFiles, FileTimeIsLocalWallClockLabelledUtcOrNowWhenUnreadable)
{
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    writeFile(at("new"), "x");
    const QDateTime before = QDateTime::currentDateTimeUtc();
    CaptureStdout();
    const QDateTime stamped = UtilSystem::getFileTime(at("new"));
    EXPECT_EQ(GetCapturedStdout(), "");
    // Made just now, shifted by Tokyo's nine hours.
    EXPECT_NEAR(double(before.secsTo(stamped)), 9 * 3600.0, 5.0);

    CaptureStdout();
    const QDateTime missing = UtilSystem::getFileTime(at("missing"));
    const std::string printed = GetCapturedStdout();
    EXPECT_EQ(printed.rfind("Get attributes errer: ", 0), 0u) << printed;
    EXPECT_NE(printed.find("missing"), std::string::npos) << printed;
    EXPECT_NEAR(double(before.secsTo(missing)), 0.0, 5.0);
}

TEST_F(UtilSystemFiles, RemoveTakesFoldersWithContentsButNeverALinksTarget)
{
    QDir(scratch.path()).mkpath("tree/sub");
    writeFile(at("tree/sub/f"), "x");
    makeLink(at("tree"), at("link"));
    EXPECT_TRUE(UtilSystem::removeFile(at("link")));
    EXPECT_EQ(readFile(at("tree/sub/f")), "x");
    EXPECT_TRUE(UtilSystem::removeFile(at("tree")));
    EXPECT_EQ(UtilSystem::getPathType(at("tree")), 0);

    CapturedOutput printed;
    EXPECT_FALSE(UtilSystem::removeFile(at("tree")));
    EXPECT_FALSE(UtilSystem::removeFile(""));
    EXPECT_EQ(printed.text(), "Failed to remove file.\nFailed to remove file.\n");
}

TEST_F(UtilSystemFiles, DeleteOperationGoesOnPastAFailedPiece)
{
    writeFile(at("second"), "x");
    QDir(scratch.path()).mkpath("third/inner");
    writeFile(at("kept"), "x");
    CaptureStdout();
    UtilSystem::fileOperation("delete", at("first") + "|" + at("second") + "|" + at("third"));
    UtilSystem::fileOperation("Delete", at("kept"));
    EXPECT_EQ(GetCapturedStdout(), "Failed to remove file.\n");
    EXPECT_EQ(UtilSystem::getPathType(at("second")), 0);
    EXPECT_EQ(UtilSystem::getPathType(at("third")), 0);
    EXPECT_EQ(UtilSystem::getPathType(at("kept")), 1);
}

TEST_F(UtilSystemFiles, RenameReplacesAnExistingFile)
{
    writeFile(at("new.tmp"), "new");
    writeFile(at("installer.pkg"), "old");
    writeFile(at("same"), "data");
    CapturedOutput printed;
    EXPECT_TRUE(UtilSystem::renameFile(at("new.tmp"), at("installer.pkg")));
    EXPECT_TRUE(UtilSystem::renameFile(at("same"), at("same")));
    EXPECT_EQ(printed.text(), "");
    EXPECT_EQ(readFile(at("installer.pkg")), "new");
    EXPECT_EQ(UtilSystem::getPathType(at("new.tmp")), 0);
    EXPECT_EQ(readFile(at("same")), "data");
}

TEST_F(UtilSystemFiles, RenameFromAFolderOrNothingOnlyPrints)
{
    QDir(scratch.path()).mkdir("folder");
    writeFile(at("dest"), "old");
    CapturedOutput printed;
    EXPECT_FALSE(UtilSystem::renameFile(at("folder"), at("dest")));
    EXPECT_FALSE(UtilSystem::renameFile(at("missing"), at("dest")));
    EXPECT_EQ(printed.text(), "RenameFile Failed, not exist: " + at("folder").toStdString() +
                                       "\nRenameFile Failed, not exist: " +
                                       at("missing").toStdString() + "\n");
    EXPECT_EQ(readFile(at("dest")), "old");
}

TEST_F(UtilSystemFiles, FailedRenameKeepsBothFiles)
{
    writeFile(at("src"), "new");
    QDir(scratch.path()).mkpath("dest/inner");
    CapturedOutput printed;
    EXPECT_FALSE(UtilSystem::renameFile(at("src"), at("dest")));
    EXPECT_EQ(printed.text().rfind("RenameFile Failed", 0), 0u);
    EXPECT_EQ(readFile(at("src")), "new");
    EXPECT_EQ(UtilSystem::getPathType(at("dest/inner")), 2);

    // The source cannot leave its read-only folder; the destination's folder is writable, so
    // removing the old destination first would lose it.
    EXPECT_EQ(runUnprivileged([](const QString &base) -> std::string {
                  const QString from = base + "/ro/new.tmp";
                  const QString to = base + "/rw/installer.pkg";
                  QDir().mkpath(base + "/ro");
                  QDir().mkpath(base + "/rw");
                  writeFile(from, "new");
                  writeFile(to, "old");
                  if (chmod(QFile::encodeName(base + "/ro").constData(), 0555) != 0)
                      return "cannot lock folder";
                  CaptureStdout();
                  const bool moved = UtilSystem::renameFile(from, to);
                  const std::string printed = GetCapturedStdout();
                  if (moved || printed.rfind("RenameFile Failed", 0) != 0)
                      return "reported: " + printed;
                  if (readFile(to) != "old" || readFile(from) != "new")
                      return "lost: " + readFile(to).toStdString() + "/" + readFile(from).toStdString();
                  return {};
              }),
              "");
}
