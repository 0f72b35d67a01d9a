// Peers browsing this client's shares: share information for app and web peers, access codes,
// counting and paging a real folder, icons of a real picture.

#include "peer_test_support.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

using namespace PeerTest;

namespace {

class PeerShareTest : public PeerFixture
{
protected:
    void SetUp() override
    {
        PeerFixture::SetUp();
        root = makeDir(QStringLiteral("shared"));
    }
    Json shareInfo(const QString &token, const Json &msg)
    {
        sendPeer(QStringLiteral("getShareInfo"), msg, token);
        return dataOf(token)["data"];
    }
    Json fileList(const QString &token, const Json &msg)
    {
        sendPeer(QStringLiteral("getFileList"), msg, token);
        return dataOf(token);
    }
    QString root;
};

QStringList namesOf(const Json &items)
{
    QStringList names;
    for (const Json &item : items)
        names << QString::fromStdString(item.value("name", ""));
    return names;
}

} // namespace

TEST_F(PeerShareTest, AppPeerGetsTheDefaultShareWithTheEmptyTag)
{
    store.shares.push_back(Share{.tag = QStringLiteral("other"), .path = root + QStringLiteral("/a")});
    store.shares.push_back(Share{.tag = QStringLiteral("main"), .path = root, .isupload = true, .isfiledel = true, .isDefault = true});
    const Json data = shareInfo(QStringLiteral("t"), Json{{"tag", ""}, {"pass", ""}, {"isweb", "0"}});
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0], FakeShareStore::recordOf(store.shares[1]));
    EXPECT_EQ(data[0]["isupload"], 1);
    EXPECT_EQ(data[0]["days"], 31);
    EXPECT_EQ(data[0]["iExpired"], 0);
}

TEST_F(PeerShareTest, AccessCodesDecideForAppPeersAndAreMaskedForWebPeers)
{
    store.shares.push_back(Share{.tag = QStringLiteral("Secret"), .path = root, .password = QStringLiteral("AbC1")});
    EXPECT_EQ(shareInfo(QStringLiteral("wrong"), Json{{"tag", "secret"}, {"pass", "nope"}, {"isweb", "0"}}), Json::array());
    const Json right = shareInfo(QStringLiteral("right"), Json{{"tag", "SECRET"}, {"pass", "abc1"}, {"isweb", 0}});
    ASSERT_EQ(right.size(), 1u) << "tag and code match without regard to case; isweb 0 as a number is an app peer";
    EXPECT_EQ(right[0]["password"], "AbC1") << "an app peer with the code sees it as stored";

    const Json web = shareInfo(QStringLiteral("web"), Json{{"tag", "Secret"}, {"pass", ""}, {"isweb", "1"}});
    ASSERT_EQ(web.size(), 1u);
    EXPECT_EQ(web[0]["password"], "????????");
    EXPECT_EQ(shareInfo(QStringLiteral("absent"), Json{{"tag", "Secret"}})[0]["password"], "????????")
        << "no isweb is a web peer";
}

TEST_F(PeerShareTest, DisabledSharesReachAppPeersWithTheCodeOnly)
{
    store.shares.push_back(Share{.tag = QStringLiteral("off"), .path = root, .isenabled = false});
    const Json app = shareInfo(QStringLiteral("app"), Json{{"tag", "off"}, {"pass", ""}, {"isweb", "0"}});
    ASSERT_EQ(app.size(), 1u);
    EXPECT_EQ(app[0]["isenabled"], 0);
    EXPECT_EQ(shareInfo(QStringLiteral("web"), Json{{"tag", "off"}, {"isweb", "1"}}), Json::array());
}

TEST_F(PeerShareTest, WebPeerWithoutDefaultShareGetsTheFirstEnabledShare)
{
    store.shares.push_back(Share{.tag = QStringLiteral("zfile"), .path = root + QStringLiteral("/a.txt"), .isdir = false});
    store.shares.push_back(Share{.tag = QStringLiteral("b"), .path = root + QStringLiteral("/b")});
    store.shares.push_back(Share{.tag = QStringLiteral("a"), .path = root + QStringLiteral("/a"), .isenabled = false});
    const Json web = shareInfo(QStringLiteral("web"), Json{{"tag", ""}, {"isweb", "1"}});
    ASSERT_EQ(web.size(), 1u);
    EXPECT_EQ(web[0]["tag"], "b") << "folders first, then by path, enabled only";
    EXPECT_EQ(shareInfo(QStringLiteral("app"), Json{{"tag", ""}, {"pass", ""}, {"isweb", "0"}}), Json::array());
}

TEST_F(PeerShareTest, CheckAccessCodeAnswersTrueOrFalse)
{
    store.shares.push_back(Share{.tag = QStringLiteral("s"), .path = root, .password = QStringLiteral("Pw")});
    sendPeer(QStringLiteral("checkAccessCode"), Json{{"tag", "S"}, {"password", "pW"}}, QStringLiteral("ok"));
    sendPeer(QStringLiteral("checkAccessCode"), Json{{"tag", "s"}, {"password", "x"}}, QStringLiteral("bad"));
    sendPeer(QStringLiteral("checkAccessCode"), Json{{"tag", "none"}, {"password", "Pw"}}, QStringLiteral("missing"));
    EXPECT_EQ(dataOf(QStringLiteral("ok")), Json({{"data", true}}));
    EXPECT_EQ(dataOf(QStringLiteral("bad")), Json({{"data", false}}));
    EXPECT_EQ(dataOf(QStringLiteral("missing")), Json({{"data", false}}));
}

TEST_F(PeerShareTest, ProbeCountsAndPageListsARealFolder)
{
    store.shares.push_back(Share{.tag = QStringLiteral("s"), .path = root});
    writeFile(QStringLiteral("shared/b.txt"), 10);
    writeFile(QStringLiteral("shared/a.txt"), 20);
    writeFile(QStringLiteral("shared/.hidden"), 1);
    makeDir(QStringLiteral("shared/zdir"));

    const Json probe = fileList(QStringLiteral("probe"), Json{{"dir", root.toStdString()}, {"search", ""}, {"filters", ""},
                                                               {"orderBy", ""}, {"iconLoadSize", ""}, {"iPageIndex", 1},
                                                               {"iPageSize", 50}, {"iProbeCount", 1}});
    EXPECT_EQ(probe, Json({{"data", Json::array()}, {"sResult", "OK"}, {"sPageInfo", ""}, {"index", "3"}, {"iProbeCount", 1}}));

    const Json page = fileList(QStringLiteral("page"), Json{{"dir", root.toStdString()}, {"iPageIndex", 1}, {"iPageSize", 2},
                                                             {"iProbeCount", 0}});
    EXPECT_EQ(page["sResult"], "OK");
    EXPECT_EQ(page["index"], "");
    EXPECT_EQ(page["sPageInfo"], "3|2");
    EXPECT_EQ(page["iProbeCount"], 0);
    EXPECT_EQ(namesOf(page["data"]), (QStringList{QStringLiteral("zdir"), QStringLiteral("a.txt")})) << "folders first";
    EXPECT_EQ(page["data"][1]["fullPath"], (root + QStringLiteral("/a.txt")).toStdString());
    EXPECT_EQ(page["data"][1]["size"], 20);

    const Json second = fileList(QStringLiteral("second"), Json{{"dir", root.toStdString()}, {"iPageIndex", "2"}, {"iPageSize", 2}});
    EXPECT_EQ(namesOf(second["data"]), QStringList{QStringLiteral("b.txt")}) << "a numeric text is a number";

    const Json search = fileList(QStringLiteral("search"), Json{{"dir", root.toStdString()}, {"search", "A."}, {"iPageIndex", 1},
                                                                 {"iPageSize", 10}, {"filters", "ignored"}});
    EXPECT_EQ(namesOf(search["data"]), QStringList{QStringLiteral("a.txt")});
}

TEST_F(PeerShareTest, MissingFolderInsideAShareIsAnsweredAsUnreadable)
{
    store.shares.push_back(Share{.tag = QStringLiteral("s"), .path = root});
    const std::string missing = (root + QStringLiteral("/gone")).toStdString();
    EXPECT_EQ(fileList(QStringLiteral("p"), Json{{"dir", missing}, {"iProbeCount", 1}})["index"], "0");
    const Json page = fileList(QStringLiteral("q"), Json{{"dir", missing}, {"iPageIndex", 1}, {"iPageSize", 50}});
    EXPECT_EQ(page["sPageInfo"], "0|0");
    EXPECT_EQ(page["data"], Json::array());
}

TEST_F(PeerShareTest, IconOfARealPictureComesBackAsAPngThumbnail)
{
    store.shares.push_back(Share{.tag = QStringLiteral("s"), .path = root});
    QImage picture(400, 200, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString path = root + QStringLiteral("/pic.png");
    ASSERT_TRUE(picture.save(path));

    // As this program's own browser sends it (an array), and as the text of one.
    sendPeer(QStringLiteral("buildIcon2"), Json{{"size", 48}, {"fileList", Json::array({(path + QStringLiteral("|7|1|-1")).toStdString()})}},
             QStringLiteral("array"));
    sendPeer(QStringLiteral("buildIcon2"),
             Json{{"size", 48}, {"fileList", Json::array({(path + QStringLiteral("|8|1|-1")).toStdString()}).dump()}},
             QStringLiteral("text"));
    for (const auto &[token, index] : {std::pair{"array", 7}, std::pair{"text", 8}}) {
        const Json data = dataOf(QString::fromLatin1(token));
        ASSERT_TRUE(data["data"].is_string()) << token;
        const Json icons = Json::parse(data["data"].get<std::string>());
        ASSERT_EQ(icons.size(), 1u) << token;
        EXPECT_EQ(icons[0]["index"], index);
        EXPECT_EQ(icons[0]["fullPath"], path.toStdString());
        const std::string url = icons[0]["iconBase64"];
        const std::string prefix = "data:image/png;base64,";
        ASSERT_EQ(url.rfind(prefix, 0), 0u);
        const QImage thumbnail = QImage::fromData(QByteArray::fromBase64(QByteArray::fromStdString(url.substr(prefix.size()))), "PNG");
        ASSERT_FALSE(thumbnail.isNull());
        EXPECT_EQ(thumbnail.width(), 80) << "80 points on the offscreen screen of scale 1, whatever size was asked";
        EXPECT_EQ(thumbnail.height(), 40);
    }
}
