// Peers acting on files inside a share: download and upload checks, deleting and making folders,
// each with and without the share's rights.

#include "peer_test_support.h"

#include <QFileInfo>

using namespace PeerTest;

namespace {

class PeerFileOpsTest : public PeerFixture
{
protected:
    void SetUp() override
    {
        PeerFixture::SetUp();
        root = makeDir(QStringLiteral("shared"));
    }
    void share(bool canUpload, bool canDelete)
    {
        store.shares.push_back(Share{.tag = QStringLiteral("s"), .path = root, .isupload = canUpload, .isfiledel = canDelete});
    }
    static std::string text(const QString &s) { return s.toStdString(); }
    QString root;
};

} // namespace

TEST_F(PeerFileOpsTest, DownloadCheckGivesSizeAndKind)
{
    share(false, false);
    const QString file = writeFile(QStringLiteral("shared/f.bin"), 1000);
    const QString folder = makeDir(QStringLiteral("shared/sub"));
    sendPeer(QStringLiteral("fileDownloadCheck"), Json{{"path", text(file)}}, QStringLiteral("file"));
    sendPeer(QStringLiteral("fileDownloadCheck"), Json{{"path", text(root + QStringLiteral("/none"))}}, QStringLiteral("missing"));
    sendPeer(QStringLiteral("fileDownloadCheck"), Json{{"path", text(folder)}}, QStringLiteral("folder"));
    EXPECT_EQ(dataOf(QStringLiteral("file")), Json({{"data", {{"path", text(file)}, {"size", 1000}, {"valid", 1}}}}));
    EXPECT_EQ(dataOf(QStringLiteral("missing")),
              Json({{"data", {{"path", text(root + QStringLiteral("/none"))}, {"size", 0}, {"valid", 0}}}}));
    const Json onFolder = dataOf(QStringLiteral("folder"))["data"];
    EXPECT_EQ(onFolder["valid"], 0);
    EXPECT_EQ(onFolder["size"], QFileInfo(folder).size()) << "a folder's own size attribute";
}

TEST_F(PeerFileOpsTest, UploadCheckTellsWhichNamesAreTakenByFiles)
{
    share(true, false);
    writeFile(QStringLiteral("shared/x.txt"), 5);
    const QString folder = makeDir(QStringLiteral("shared/y"));
    sendPeer(QStringLiteral("fileUploadCheck"), Json{{"dir", text(root)}, {"fileList", {"x.txt", "y", "z"}}}, QStringLiteral("u"));
    const Json expected{{"dir", text(root)},
                        {"size", 0},
                        {"valid", 1},
                        {"ctime", 0},
                        {"task", {{{"isExist", 1}, {"size", 5}}, {{"isExist", 0}, {"size", QFileInfo(folder).size()}}, {{"isExist", 0}, {"size", 0}}}}};
    EXPECT_EQ(dataOf(QStringLiteral("u")), Json({{"data", expected}}));

    // A list given as the text of an array is no list.
    sendPeer(QStringLiteral("fileUploadCheck"), Json{{"dir", text(root)}, {"fileList", R"(["x.txt"])"}}, QStringLiteral("text"));
    EXPECT_EQ(dataOf(QStringLiteral("text"))["data"]["task"], Json::array());
    // The values of an object are names too.
    sendPeer(QStringLiteral("fileUploadCheck"), Json{{"dir", text(root)}, {"fileList", {{"k", "x.txt"}}}}, QStringLiteral("obj"));
    EXPECT_EQ(dataOf(QStringLiteral("obj"))["data"]["task"], Json::parse(R"([{"isExist":1,"size":5}])"));
}

TEST_F(PeerFileOpsTest, DeleteNeedsTheDeleteRight)
{
    share(true, false);
    const QString a = writeFile(QStringLiteral("shared/a.txt"), 1);
    sendPeer(QStringLiteral("opFileList"), Json{{"cmd", "delete"}, {"fileList", text(a)}}, QStringLiteral("d"));
    EXPECT_EQ(dataOf(QStringLiteral("d")), Json("[]")) << "the text itself, not wrapped";
    EXPECT_TRUE(QFileInfo::exists(a));
}

TEST_F(PeerFileOpsTest, DeleteRemovesEveryListedItemButNeverTheShareItself)
{
    share(false, true);
    const QString a = writeFile(QStringLiteral("shared/a.txt"), 1);
    const QString deep = writeFile(QStringLiteral("shared/dir/inner/b.txt"), 1);
    const QString other = makeDir(QStringLiteral("shared/keep"));

    sendPeer(QStringLiteral("opFileList"), Json{{"cmd", "move"}, {"fileList", text(a)}}, QStringLiteral("other-cmd"));
    EXPECT_EQ(dataOf(QStringLiteral("other-cmd")), Json("[]"));
    EXPECT_TRUE(QFileInfo::exists(a)) << "only \"delete\" acts";

    CapturedOutput output;
    sendPeer(QStringLiteral("opFileList"),
             Json{{"path", ""}, {"cmd", "delete"}, {"extInfo", ""}, {"fileList", text(a + u'|' + root + QStringLiteral("/dir") + u'|' + root)}},
             QStringLiteral("del"));
    EXPECT_EQ(dataOf(QStringLiteral("del")), Json("[]"));
    settle();
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_FALSE(QFileInfo::exists(deep));
    EXPECT_TRUE(QFileInfo(root).isDir()) << "the share's own folder stays";
    EXPECT_TRUE(QFileInfo(other).isDir());
    EXPECT_TRUE(output.lines().contains(QStringLiteral("Peer Request Refused, Not Shared - opFileList - ") + root));
}

TEST_F(PeerFileOpsTest, CreateMakesNestedFoldersWithTheUploadRight)
{
    share(true, false);
    sendPeer(QStringLiteral("newFile_create"), Json{{"dir", text(root)}, {"name", "b/c"}, {"type", "file"}}, QStringLiteral("c"));
    EXPECT_EQ(dataOf(QStringLiteral("c")), Json("")) << "the empty text itself, not wrapped";
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/b/c")).isDir()) << "a folder whatever the type says";
}

TEST_F(PeerFileOpsTest, CreateWithoutTheUploadRightMakesNothing)
{
    share(false, true);
    sendPeer(QStringLiteral("newFile_create"), Json{{"dir", text(root)}, {"name", "new"}}, QStringLiteral("c"));
    EXPECT_EQ(dataOf(QStringLiteral("c")), Json(""));
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("/new")));
}

TEST_F(PeerFileOpsTest, DisabledShareReachesNothing)
{
    store.shares.push_back(Share{.tag = QStringLiteral("s"), .path = root, .isenabled = false, .isupload = true, .isfiledel = true});
    const QString a = writeFile(QStringLiteral("shared/a.txt"), 3);
    sendPeer(QStringLiteral("fileDownloadCheck"), Json{{"path", text(a)}}, QStringLiteral("dl"));
    sendPeer(QStringLiteral("opFileList"), Json{{"cmd", "delete"}, {"fileList", text(a)}}, QStringLiteral("del"));
    EXPECT_EQ(dataOf(QStringLiteral("dl"))["data"]["valid"], 0);
    EXPECT_EQ(dataOf(QStringLiteral("del")), Json("[]"));
    EXPECT_TRUE(QFileInfo::exists(a));
}
