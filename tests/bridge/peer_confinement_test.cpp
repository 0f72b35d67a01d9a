// Peers reach only what is shared: every way out of a share is refused with the answer of a
// missing file or unreadable folder, and a share with an access code opens only to the session
// that gave the code.

#include "peer_test_support.h"

#include "peer_confinement.h"

#include <QFile>
#include <QFileInfo>

using namespace PeerTest;

namespace {

class PeerConfinementTest : public PeerFixture
{
protected:
    void SetUp() override
    {
        PeerFixture::SetUp();
        root = makeDir(QStringLiteral("data/share"));
        store.shares.push_back(Share{.tag = QStringLiteral("s"), .path = root, .isupload = true, .isfiledel = true});
        secret = writeFile(QStringLiteral("data/secret.txt"), 7);
        sibling = writeFile(QStringLiteral("data/share-old/old.txt"), 9);
        inside = writeFile(QStringLiteral("data/share/in.txt"), 4);
        ASSERT_TRUE(QFile::link(home + QStringLiteral("/data"), root + QStringLiteral("/out")));
        ASSERT_TRUE(QFile::link(secret, root + QStringLiteral("/secret-link")));
    }

    // Every path-taking request on path, expecting the answers of a path that does not exist.
    void expectRefused(const QString &path)
    {
        SCOPED_TRACE(path.toStdString());
        const std::string p = path.toStdString();
        const QString parent = path.section(u'/', 0, -2);
        const QString name = path.section(u'/', -1);
        sendPeer(QStringLiteral("fileDownloadCheck"), Json{{"path", p}}, QStringLiteral("dl"));
        sendPeer(QStringLiteral("getFileList"), Json{{"dir", p}, {"iProbeCount", 1}}, QStringLiteral("probe"));
        sendPeer(QStringLiteral("getFileList"), Json{{"dir", p}, {"iPageIndex", 1}, {"iPageSize", 50}}, QStringLiteral("page"));
        sendPeer(QStringLiteral("fileUploadCheck"), Json{{"dir", parent.toStdString()}, {"fileList", {name.toStdString()}}},
                 QStringLiteral("up"));
        sendPeer(QStringLiteral("buildIcon2"), Json{{"fileList", {p + "|1|1|-1"}}}, QStringLiteral("icon"));

        EXPECT_EQ(dataOf(QStringLiteral("dl")), Json({{"data", {{"path", p}, {"size", 0}, {"valid", 0}}}}));
        EXPECT_EQ(dataOf(QStringLiteral("probe"))["index"], "0");
        const Json page = dataOf(QStringLiteral("page"));
        EXPECT_EQ(page["sPageInfo"], "0|0");
        EXPECT_EQ(page["data"], Json::array());
        EXPECT_EQ(dataOf(QStringLiteral("up"))["data"]["task"], Json::parse(R"([{"isExist":0,"size":0}])"));
        EXPECT_EQ(dataOf(QStringLiteral("icon")), Json({{"data", "[]"}}));
        bridge.frames.clear();
    }

    QString root;
    QString secret;
    QString sibling;
    QString inside;
};

} // namespace

TEST_F(PeerConfinementTest, PathsInsideTheShareAreServed)
{
    sendPeer(QStringLiteral("fileDownloadCheck"), Json{{"path", inside.toStdString()}}, QStringLiteral("plain"));
    const QString roundabout = root + QStringLiteral("/./sub/../in.txt");
    sendPeer(QStringLiteral("fileDownloadCheck"), Json{{"path", roundabout.toStdString()}}, QStringLiteral("dots"));
    EXPECT_EQ(dataOf(QStringLiteral("plain"))["data"]["valid"], 1);
    EXPECT_EQ(dataOf(QStringLiteral("dots"))["data"], Json({{"path", roundabout.toStdString()}, {"size", 4}, {"valid", 1}}))
        << "\"..\" that stays inside is fine, and the path is echoed as sent";
}

TEST_F(PeerConfinementTest, ParentStepsOutOfTheShareAreRefused)
{
    CapturedOutput output;
    expectRefused(root + QStringLiteral("/../secret.txt"));
    expectRefused(root + QStringLiteral("/../../../../../../../etc/passwd"));
    expectRefused(root + QStringLiteral("/in.txt/../../secret.txt"));
    EXPECT_TRUE(output.lines().contains(QStringLiteral("Peer Request Refused, Not Shared - fileDownloadCheck - ") + root
                                        + QStringLiteral("/../secret.txt")));
}

TEST_F(PeerConfinementTest, LinksThatLeadOutOfTheShareAreRefused)
{
    expectRefused(root + QStringLiteral("/secret-link"));
    expectRefused(root + QStringLiteral("/out/secret.txt"));
    expectRefused(root + QStringLiteral("/out/share-old"));
    // ".." after a link climbs from where the link leads, not from the link's own folder.
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/data/deep/er")));
    ASSERT_TRUE(QFile::link(home + QStringLiteral("/data/deep/er"), root + QStringLiteral("/down")));
    expectRefused(root + QStringLiteral("/down/../../secret.txt"));
}

TEST_F(PeerConfinementTest, SiblingWhoseNameStartsWithTheSharesIsOutside)
{
    expectRefused(sibling);
    expectRefused(home + QStringLiteral("/data/share-old"));
}

TEST_F(PeerConfinementTest, WindowsStylePathsNameNothingHere)
{
    expectRefused(QStringLiteral("C:\\Users\\me\\secret.txt"));
    expectRefused(QStringLiteral("..\\..\\secret.txt"));
    expectRefused(QStringLiteral("relative/in.txt"));
    expectRefused(QString());
}

TEST_F(PeerConfinementTest, FoldersOutsideAreNeitherDeletedNorMade)
{
    const QString outsideDir = makeDir(QStringLiteral("data/victim"));
    sendPeer(QStringLiteral("opFileList"),
             Json{{"cmd", "delete"},
                  {"fileList", (root + QStringLiteral("/../victim|") + root + QStringLiteral("/out/secret.txt|") + sibling
                                + QStringLiteral("|") + root + QStringLiteral("/./"))
                                   .toStdString()}},
             QStringLiteral("del"));
    sendPeer(QStringLiteral("newFile_create"), Json{{"dir", root.toStdString()}, {"name", "../made"}}, QStringLiteral("mk1"));
    sendPeer(QStringLiteral("newFile_create"), Json{{"dir", (root + QStringLiteral("/out")).toStdString()}, {"name", "made2"}},
             QStringLiteral("mk2"));
    sendPeer(QStringLiteral("newFile_create"), Json{{"dir", "C:\\x"}, {"name", "made3"}}, QStringLiteral("mk3"));
    sendPeer(QStringLiteral("newFile_create"), Json{{"dir", ""}, {"name", "made4"}}, QStringLiteral("mk4"));
    EXPECT_EQ(dataOf(QStringLiteral("del")), Json("[]"));
    for (const char *token : {"mk1", "mk2", "mk3", "mk4"})
        EXPECT_EQ(dataOf(QString::fromLatin1(token)), Json("")) << token;
    settle();
    EXPECT_TRUE(QFileInfo(outsideDir).isDir());
    EXPECT_TRUE(QFileInfo::exists(secret));
    EXPECT_TRUE(QFileInfo::exists(sibling));
    EXPECT_TRUE(QFileInfo(root).isDir());
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/data/made")));
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/data/made2")));
}

TEST_F(PeerConfinementTest, DeletingALinkRemovesTheLinkNotWhereItLeads)
{
    sendPeer(QStringLiteral("opFileList"), Json{{"cmd", "delete"}, {"fileList", (root + QStringLiteral("/out/")).toStdString()}},
             QStringLiteral("del"));
    EXPECT_EQ(dataOf(QStringLiteral("del")), Json("[]"));
    settle();
    EXPECT_FALSE(QFileInfo(root + QStringLiteral("/out")).isSymLink()) << "the link inside the share is gone";
    EXPECT_TRUE(QFileInfo::exists(secret)) << "what it led to is untouched";
    EXPECT_TRUE(QFileInfo::exists(sibling));
}

TEST_F(PeerConfinementTest, AShareWithACodeOpensOnlyToTheSessionThatGaveIt)
{
    store.shares.clear();
    store.shares.push_back(Share{.tag = QStringLiteral("Locked"), .path = root, .password = QStringLiteral("Code1"), .isDefault = true});
    const Json probe{{"dir", root.toStdString()}, {"iProbeCount", 1}};
    const auto count = [&](const QString &token, const QString &session) {
        sendPeer(QStringLiteral("getFileList"), probe, token, session);
        return dataOf(token)["index"];
    };
    EXPECT_EQ(count(QStringLiteral("before"), QStringLiteral("A|ME")), "0");

    sendPeer(QStringLiteral("getShareInfo"), Json{{"tag", "locked"}, {"pass", "wrong"}, {"isweb", "0"}}, QStringLiteral("w"), QStringLiteral("A|ME"));
    EXPECT_EQ(dataOf(QStringLiteral("w"))["data"], Json::array());
    EXPECT_EQ(count(QStringLiteral("wrong"), QStringLiteral("A|ME")), "0");

    // The product's own browser: share information with the code, then paths inside.
    sendPeer(QStringLiteral("getShareInfo"), Json{{"tag", ""}, {"pass", "code1"}, {"isweb", "0"}}, QStringLiteral("r"), QStringLiteral("A|ME"));
    EXPECT_EQ(dataOf(QStringLiteral("r"))["data"].size(), 1u);
    EXPECT_EQ(count(QStringLiteral("after"), QStringLiteral("A|ME")), "3") << "in.txt and the two links";
    EXPECT_EQ(count(QStringLiteral("other"), QStringLiteral("B|ME")), "0") << "another session has not given the code";

    // A web peer tests the code on its own.
    sendPeer(QStringLiteral("checkAccessCode"), Json{{"tag", "LOCKED"}, {"password", "CODE1"}}, QStringLiteral("c"), QStringLiteral("B|ME"));
    EXPECT_EQ(dataOf(QStringLiteral("c")), Json({{"data", true}}));
    EXPECT_EQ(count(QStringLiteral("web"), QStringLiteral("B|ME")), "3");

    // A new code closes the share again.
    store.shares[0].password = QStringLiteral("Code2");
    EXPECT_EQ(count(QStringLiteral("changed"), QStringLiteral("A|ME")), "0");
}

TEST(PeerConfinementRules, ResolveCollapsesStepsAndFollowsLinks)
{
    const QString base = QDir::homePath() + QStringLiteral("/r");
    ASSERT_TRUE(QDir().mkpath(base + QStringLiteral("/a/b")));
    ASSERT_TRUE(QFile::link(base + QStringLiteral("/a/b"), base + QStringLiteral("/l")));
    ASSERT_TRUE(QFile::link(base + QStringLiteral("/nowhere"), base + QStringLiteral("/dangling")));
    const QString real = QFileInfo(base).canonicalFilePath();

    EXPECT_EQ(PeerConfinement::resolve(base + QStringLiteral("//a/./b/")), real + QStringLiteral("/a/b"));
    EXPECT_EQ(PeerConfinement::resolve(base + QStringLiteral("/l/..")), real + QStringLiteral("/a"));
    EXPECT_EQ(PeerConfinement::resolve(base + QStringLiteral("/new/x/../y")), real + QStringLiteral("/new/y"));
    EXPECT_EQ(PeerConfinement::resolve(base + QStringLiteral("/new/../..")), QFileInfo(real).path());
    EXPECT_EQ(PeerConfinement::resolve(QStringLiteral("/../..")), QStringLiteral("/"));
    EXPECT_EQ(PeerConfinement::resolve(base + QStringLiteral("/dangling/x")), std::nullopt)
        << "what a link to nowhere would make cannot be judged";
    EXPECT_EQ(PeerConfinement::resolve(QStringLiteral("C:\\a")), std::nullopt);
    EXPECT_EQ(PeerConfinement::resolve(QStringLiteral("/a") + QChar(u'\0') + QStringLiteral("b")), std::nullopt);

    EXPECT_EQ(PeerConfinement::resolveEntry(base + QStringLiteral("/l/")), real + QStringLiteral("/l"));
    EXPECT_EQ(PeerConfinement::resolveEntry(base + QStringLiteral("/a/..")), std::nullopt);
    EXPECT_EQ(PeerConfinement::resolveEntry(QStringLiteral("/")), std::nullopt);

    EXPECT_TRUE(PeerConfinement::isInside(QStringLiteral("/d/share"), QStringLiteral("/d/share")));
    EXPECT_TRUE(PeerConfinement::isInside(QStringLiteral("/d/share/x"), QStringLiteral("/d/share")));
    EXPECT_FALSE(PeerConfinement::isInside(QStringLiteral("/d/share-old"), QStringLiteral("/d/share")));
    EXPECT_FALSE(PeerConfinement::isInside(QStringLiteral("/d"), QStringLiteral("/d/share")));
    EXPECT_TRUE(PeerConfinement::isInside(QStringLiteral("/anything"), QStringLiteral("/")));
}

TEST(PeerConfinementRules, FileShareReachesOnlyItsFile)
{
    const QString base = QDir::homePath() + QStringLiteral("/f");
    ASSERT_TRUE(QDir().mkpath(base));
    QFile file(base + QStringLiteral("/one.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const PeerReach reach({PeerShareGrant{QStringLiteral("t"), file.fileName(), false, true, true}});
    EXPECT_TRUE(reach.allow(file.fileName(), PeerReach::Need::Read).has_value());
    EXPECT_FALSE(reach.allow(base, PeerReach::Need::Read).has_value());
    EXPECT_FALSE(reach.allow(base + QStringLiteral("/two.txt"), PeerReach::Need::Read).has_value());
    EXPECT_FALSE(reach.allow(file.fileName(), PeerReach::Need::Delete).has_value()) << "the share itself is never removed";
    EXPECT_FALSE(reach.allow(file.fileName() + QStringLiteral("/x"), PeerReach::Need::Create).has_value());
}

TEST(PeerConfinementRules, ShareWhoseFolderIsGoneReachesNothing)
{
    const QString gone = QDir::homePath() + QStringLiteral("/gone");
    const PeerReach reach({PeerShareGrant{QStringLiteral("t"), gone, true, true, true}});
    EXPECT_TRUE(reach.isEmpty());
    EXPECT_FALSE(reach.allow(gone, PeerReach::Need::Create).has_value()) << "a peer cannot bring it back";
}
