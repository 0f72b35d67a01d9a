// Nothing a peer sends crashes or stalls the client: odd page numbers and sizes, missing members,
// members of the wrong type, names that are not UTF-8, and a folder of 100 000 entries.

#include "peer_test_support.h"

#include "bridge_message.h"
#include "peer_work.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThreadPool>

#include <fcntl.h>
#include <unistd.h>

using namespace PeerTest;

namespace {

class PeerBadInputTest : public PeerFixture
{
protected:
    void SetUp() override
    {
        PeerFixture::SetUp();
        root = makeDir(QStringLiteral("shared"));
        store.shares.push_back(Share{.tag = QStringLiteral("s"), .path = root, .isupload = true, .isfiledel = true});
        for (int i = 0; i < 5; ++i)
            writeFile(QStringLiteral("shared/f%1.txt").arg(i), i);
    }
    Json page(const QString &token, const Json &index, const Json &size)
    {
        sendPeer(QStringLiteral("getFileList"), Json{{"dir", root.toStdString()}, {"iPageIndex", index}, {"iPageSize", size}}, token);
        return dataOf(token);
    }
    QString root;
};

} // namespace

TEST_F(PeerBadInputTest, PageNumbersAndSizesOutsideTheListGiveEmptyPages)
{
    const struct {
        const char *token;
        Json index;
        Json size;
        const char *pageInfo;
    } cases[] = {
        {"size0", 1, 0, "5|0"},
        {"sizeNegative", 1, -3, "5|0"},
        {"index0", 0, 2, "5|3"},
        {"indexNegative", -1, 2, "5|3"},
        {"pastTheEnd", 4, 2, "5|3"},
        {"huge", 9223372036854775807LL, 9223372036854775807LL, "5|1"},
        {"hugeText", "99999999999999999999999", 2, "5|3"},
        {"float", 1.9, 2.7, "5|3"},
        {"objects", Json::object(), Json::array(), "5|0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.token);
        const Json reply = page(QString::fromLatin1(c.token), c.index, c.size);
        EXPECT_EQ(reply["sPageInfo"], c.pageInfo);
        if (QByteArray(c.token) == "float")
            EXPECT_EQ(reply["data"].size(), 2u) << "integer parts";
        else
            EXPECT_EQ(reply["data"], Json::array());
    }
}

TEST_F(PeerBadInputTest, MissingAndMistypedMembersReadAsEmpty)
{
    sendPeer(QStringLiteral("getFileList"), Json::object(), QStringLiteral("empty"));
    sendPeer(QStringLiteral("getFileList"), Json("text"), QStringLiteral("text"));
    sendPeer(QStringLiteral("getFileList"), Json{{"dir", {1, 2}}, {"iProbeCount", "1"}}, QStringLiteral("arraydir"));
    sendPeer(QStringLiteral("getShareInfo"), Json{{"tag", {{"a", 1}}}, {"pass", 5}, {"isweb", false}}, QStringLiteral("share"));
    sendPeer(QStringLiteral("checkAccessCode"), Json::array(), QStringLiteral("code"));
    sendPeer(QStringLiteral("fileDownloadCheck"), Json{{"path", 42}}, QStringLiteral("dl"));
    sendPeer(QStringLiteral("fileUploadCheck"), Json{{"dir", root.toStdString()}, {"fileList", {1, nullptr, {{"x", 1}}, "f1.txt"}}},
             QStringLiteral("up"));
    sendPeer(QStringLiteral("opFileList"), Json{{"cmd", {"delete"}}, {"fileList", {"a"}}}, QStringLiteral("op"));
    sendPeer(QStringLiteral("newFile_create"), Json{{"dir", nullptr}, {"name", 3}}, QStringLiteral("mk"));
    sendPeer(QStringLiteral("buildIcon2"), Json{{"fileList", 12}}, QStringLiteral("icon"));
    sendPeer(QStringLiteral("buildIcon2"), Json{{"fileList", "[not json"}}, QStringLiteral("icon2"));
    sendPeer(QStringLiteral("buildIcon2"), Json{{"fileList", {1, {{"a", "b"}}, "no-bar", "|", "/x|notanumber"}}}, QStringLiteral("icon3"));

    const std::string folderSize = std::to_string(QFileInfo(root).size());
    EXPECT_EQ(dataOf(QStringLiteral("empty"))["sPageInfo"], "0|0");
    EXPECT_EQ(dataOf(QStringLiteral("text"))["sPageInfo"], "0|0");
    EXPECT_EQ(dataOf(QStringLiteral("arraydir"))["index"], "0");
    EXPECT_EQ(dataOf(QStringLiteral("share"))["data"][0]["tag"], "s") << "false is no \"0\": a web peer, asking with the empty tag";
    EXPECT_EQ(dataOf(QStringLiteral("code")), Json({{"data", false}}));
    EXPECT_EQ(dataOf(QStringLiteral("dl")), Json({{"data", {{"path", "42"}, {"size", 0}, {"valid", 0}}}}));
    EXPECT_EQ(dataOf(QStringLiteral("up"))["data"]["task"],
              Json::parse(R"([{"isExist":0,"size":0},{"isExist":0,"size":)" + folderSize + R"(},{"isExist":0,"size":)" + folderSize
                          + R"(},{"isExist":1,"size":1}])"))
        << "a number names nothing; null and an object read as the empty name, the folder itself";
    EXPECT_EQ(dataOf(QStringLiteral("op")), Json("[]"));
    EXPECT_EQ(dataOf(QStringLiteral("mk")), Json(""));
    EXPECT_EQ(dataOf(QStringLiteral("icon")), Json({{"data", "[]"}}));
    EXPECT_EQ(dataOf(QStringLiteral("icon2")), Json({{"data", "[]"}}));
    EXPECT_EQ(dataOf(QStringLiteral("icon3")), Json({{"data", "[]"}}));
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(QFile::exists(root + QStringLiteral("/f%1.txt").arg(i)));
}

TEST_F(PeerBadInputTest, TextThatIsNotUtf8IsReplacedNeverRefused)
{
    // Bytes that are no UTF-8 in what the peer sent (the link hands them on replaced), and a file
    // whose name is no UTF-8 either.
    const QByteArray bad = "{\"Token\":\"u\",\"Session\":\"P\xff|ME\",\"Code\":\"fileDownloadCheck\",\"Msg\":{\"path\":\"/a\xc3\"}}";
    BridgeMessage::DoMsg(QString::fromStdString(Json{{"Code", "WSDC"}, {"Data", QString::fromUtf8(bad).toStdString()}}.dump()));
    const Json reply = replyTo(QStringLiteral("u"));
    ASSERT_TRUE(reply.is_object());
    EXPECT_EQ(reply["Data"]["data"]["valid"], 0);

    const QByteArray rawName = QFile::encodeName(root) + "/bad-\xff\xfe.txt";
    const int fd = ::open(rawName.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    sendPeer(QStringLiteral("getFileList"), Json{{"dir", root.toStdString()}, {"iPageIndex", 1}, {"iPageSize", 50}}, QStringLiteral("list"));
    const Json page = dataOf(QStringLiteral("list"));
    EXPECT_EQ(page["sPageInfo"], "6|1");
    EXPECT_EQ(page["data"].size(), 6u) << "the odd name is listed, its bytes replaced in the text";
}

TEST_F(PeerBadInputTest, AHugeFolderIsListedOffTheGuiThread)
{
    // On a memory file system where there is one: making and removing 100 000 files on a disk
    // costs far more than listing them.
    const bool inMemory = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    QTemporaryDir scratch(inMemory ? QStringLiteral("/dev/shm/fenmar-peer-XXXXXX") : home + QStringLiteral("/big-XXXXXX"));
    ASSERT_TRUE(scratch.isValid());
    store.shares.push_back(Share{.tag = QStringLiteral("big"), .path = scratch.path()});
    const QString big = scratch.path() + QStringLiteral("/big");
    ASSERT_TRUE(QDir().mkpath(big));
    const QByteArray base = QFile::encodeName(big) + '/';
    for (int i = 0; i < 100000; ++i) {
        const int fd = ::open((base + QByteArray::number(i)).constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }

    QElapsedTimer dispatch;
    dispatch.start();
    sendPeer(QStringLiteral("getFileList"), Json{{"dir", big.toStdString()}, {"iProbeCount", 1}}, QStringLiteral("count"));
    sendPeer(QStringLiteral("getFileList"), Json{{"dir", big.toStdString()}, {"iPageIndex", 100}, {"iPageSize", 1000}},
             QStringLiteral("last"));
    sendPeer(QStringLiteral("PING"), Json::object(), QStringLiteral("ping"));
    const qint64 dispatchMs = dispatch.elapsed();
    // The listing is not done by the time the ping is answered: it runs on the workers.
    EXPECT_TRUE(replyTo(QStringLiteral("ping")).is_object());
    EXPECT_LT(dispatchMs, 1000) << "handing the requests on takes no listing time";

    EXPECT_EQ(dataOf(QStringLiteral("count"))["index"], "100000");
    const Json last = replyTo(QStringLiteral("last"), 20000);
    ASSERT_TRUE(last.is_object());
    EXPECT_EQ(last["Data"]["sPageInfo"], "100000|100");
    EXPECT_EQ(last["Data"]["data"].size(), 1000u);
    EXPECT_EQ(last["Data"]["data"][999]["name"], "99999") << "sorted by name";
}
