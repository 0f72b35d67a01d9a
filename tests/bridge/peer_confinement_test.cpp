// Peers reach only what is shared: every way out of a share is refused with the answer of a
// missing file or unreadable folder, and a share with an access code opens only to the session
// that gave the code. The innermost share decides for what it holds, codes cannot be guessed at
// speed, and links out of a share and hidden entries reveal nothing.

#include "peer_test_support.h"

#include "env.h"
#include "local_share_store.h"
#include "peer_confinement.h"
#include "share_store_for_peers.h"
#include "sharing_obj.h"
#include "util_db.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

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
    EXPECT_EQ(count(QStringLiteral("after"), QStringLiteral("A|ME")), "1") << "in.txt; both links lead out";
    EXPECT_EQ(count(QStringLiteral("other"), QStringLiteral("B|ME")), "0") << "another session has not given the code";

    // A web peer tests the code on its own.
    sendPeer(QStringLiteral("checkAccessCode"), Json{{"tag", "LOCKED"}, {"password", "CODE1"}}, QStringLiteral("c"), QStringLiteral("B|ME"));
    EXPECT_EQ(dataOf(QStringLiteral("c")), Json({{"data", true}}));
    EXPECT_EQ(count(QStringLiteral("web"), QStringLiteral("B|ME")), "1");

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
    const PeerReach reach({PeerShare{QStringLiteral("t"), file.fileName(), false, true, true, true}});
    EXPECT_TRUE(reach.allow(file.fileName(), PeerReach::Need::Read).has_value());
    EXPECT_FALSE(reach.allow(base, PeerReach::Need::Read).has_value());
    EXPECT_FALSE(reach.allow(base + QStringLiteral("/two.txt"), PeerReach::Need::Read).has_value());
    EXPECT_FALSE(reach.allow(file.fileName(), PeerReach::Need::Delete).has_value()) << "the share itself is never removed";
    EXPECT_FALSE(reach.allow(file.fileName() + QStringLiteral("/x"), PeerReach::Need::Create).has_value());
}

TEST(PeerConfinementRules, ShareWhoseFolderIsGoneReachesNothing)
{
    const QString gone = QDir::homePath() + QStringLiteral("/gone");
    const PeerReach reach({PeerShare{QStringLiteral("t"), gone, true, true, true, true}});
    EXPECT_TRUE(reach.reachesNothing());
    EXPECT_FALSE(reach.allow(gone, PeerReach::Need::Create).has_value()) << "a peer cannot bring it back";
}

// The same rules with the program's own share store, on a database of the test's own, and real
// folders: shares inside shares, guessed access codes, links out of a share and hidden entries.

namespace {

class PeerRulesOnTheStore : public PeerFixture
{
protected:
    void SetUp() override
    {
        PeerFixture::SetUp();
        ASSERT_TRUE(UtilDB::openAt(home + QStringLiteral("/peer.dat")));
        Env::userInfo.id_acc = 7;
        Env::shareStore = &storeForPeers;
    }

    // Publishes path as the share pages do, with every visitor right unless told otherwise.
    void publish(const QString &tag, const QString &path, const QString &code = {}, bool enabled = true,
                 bool rights = true, bool isdir = true)
    {
        SharingObj share;
        share.setTag(tag);
        share.setPath(path);
        share.setPassword(code);
        share.setIsdir(isdir);
        share.setIsenabled(enabled);
        share.setIsupload(rights);
        share.setIsfiledel(rights);
        ASSERT_TRUE(LocalShare_Insert(share)) << tag.toStdString();
    }

    // The Data of the answer to one request; each request gets a token of its own.
    Json ask(const QString &code, const Json &msg, const QString &session = QStringLiteral("A|ME"))
    {
        const QString token = QStringLiteral("q%1").arg(++asked);
        sendPeer(code, msg, token, session);
        return dataOf(token);
    }

    // The answer must come at once, not after a pause has run out: well within the first one.
    Json askPromptly(const QString &code, const Json &msg, const QString &session)
    {
        const QString token = QStringLiteral("q%1").arg(++asked);
        sendPeer(code, msg, token, session);
        const Json reply = replyTo(token, 900);
        return reply.is_object() ? reply.value("Data", Json()) : Json();
    }

    std::string count(const QString &dir, const QString &session = QStringLiteral("A|ME"))
    {
        return ask(QStringLiteral("getFileList"), Json{{"dir", dir.toStdString()}, {"iProbeCount", 1}}, session)["index"];
    }

    QStringList namesListed(const QString &dir)
    {
        QStringList names;
        const Json page = ask(QStringLiteral("getFileList"), Json{{"dir", dir.toStdString()}, {"iPageIndex", 1}, {"iPageSize", 50}});
        for (const Json &item : page["data"])
            names << QString::fromStdString(item.value("name", ""));
        return names;
    }

    int downloadValid(const QString &path, const QString &session = QStringLiteral("A|ME"))
    {
        return ask(QStringLiteral("fileDownloadCheck"), Json{{"path", path.toStdString()}}, session)["data"]["valid"];
    }

    void remove(const QStringList &paths, const QString &session = QStringLiteral("A|ME"))
    {
        EXPECT_EQ(ask(QStringLiteral("opFileList"), Json{{"cmd", "delete"}, {"fileList", paths.join(u'|').toStdString()}}, session),
                  Json("[]"));
    }

    void makeFolder(const QString &dir, const QString &name, const QString &session = QStringLiteral("A|ME"))
    {
        EXPECT_EQ(ask(QStringLiteral("newFile_create"), Json{{"dir", dir.toStdString()}, {"name", name.toStdString()}}, session),
                  Json(""));
    }

    Json checkCode(const char *tag, const char *code, const QString &session)
    {
        return askPromptly(QStringLiteral("checkAccessCode"), Json{{"tag", tag}, {"password", code}}, session)["data"];
    }

    ShareStoreForPeers storeForPeers;
    int asked = 0;
};

} // namespace

TEST_F(PeerRulesOnTheStore, TheInnermostShareDecidesForEveryPathItHolds)
{
    const QString outer = makeDir(QStringLiteral("data/outer"));
    writeFile(QStringLiteral("data/outer/top.txt"), 3);
    publish(QStringLiteral("OUTER"), outer);
    struct Inner {
        const char *name;
        QString code;
        bool enabled;
        bool rights;
    };
    for (const Inner &inner : {Inner{"coded", QStringLiteral("K9x"), true, true}, Inner{"off", {}, false, true},
                               Inner{"keep", {}, true, false}}) {
        const QString dir = makeDir(QStringLiteral("data/outer/") + QLatin1String(inner.name));
        writeFile(QStringLiteral("data/outer/%1/f.txt").arg(QLatin1String(inner.name)), 5);
        makeDir(QStringLiteral("data/outer/%1/s").arg(QLatin1String(inner.name)));
        publish(QLatin1String(inner.name).toString().toUpper(), dir, inner.code, inner.enabled, inner.rights);
    }
    writeFile(QStringLiteral("data/outer/nest/deep/d.txt"), 2);
    publish(QStringLiteral("DEEP"), outer + QStringLiteral("/nest/deep"));

    // What a session finds in each inner share, reading, making a folder and deleting a file.
    struct Expected {
        const char *name;
        bool read;
        bool make;
        bool remove;
    };
    const auto tryInner = [&](const Expected &expected, const QString &session) {
        const QString dir = outer + u'/' + QLatin1String(expected.name);
        SCOPED_TRACE(std::string(expected.name) + " for " + session.toStdString());
        // As it was made: f.txt and s.
        writeFile(QStringLiteral("data/outer/%1/f.txt").arg(QLatin1String(expected.name)), 5);
        QDir(dir + QStringLiteral("/made")).removeRecursively();
        EXPECT_EQ(count(dir, session), expected.read ? "2" : "0");
        EXPECT_EQ(downloadValid(dir + QStringLiteral("/f.txt"), session), expected.read ? 1 : 0);
        EXPECT_EQ(ask(QStringLiteral("fileUploadCheck"), Json{{"dir", dir.toStdString()}, {"fileList", {"f.txt"}}}, session)["data"]["task"],
                  Json::parse(expected.read ? R"([{"isExist":1,"size":5}])" : R"([{"isExist":0,"size":0}])"));
        makeFolder(dir, QStringLiteral("made"), session);
        EXPECT_EQ(QFileInfo(dir + QStringLiteral("/made")).isDir(), expected.make);
        remove({dir + QStringLiteral("/f.txt")}, session);
        EXPECT_EQ(QFileInfo::exists(dir + QStringLiteral("/f.txt")), !expected.remove);
    };
    for (const Expected &expected : {Expected{"coded", false, false, false}, Expected{"off", false, false, false},
                                     Expected{"keep", true, false, false}})
        tryInner(expected, QStringLiteral("A|ME"));
    EXPECT_EQ(count(outer), "3") << "keep, nest and top.txt: the closed shares are not shown";

    // The outer share's delete right reaches no folder that is, or holds, a share.
    remove({outer + QStringLiteral("/coded"), outer + QStringLiteral("/off"), outer + QStringLiteral("/keep"),
            outer + QStringLiteral("/nest"), outer + QStringLiteral("/nest/deep")});
    for (const char *file : {"coded/f.txt", "off/f.txt", "keep/f.txt", "nest/deep/d.txt"})
        EXPECT_TRUE(QFileInfo::exists(outer + u'/' + QLatin1String(file))) << file;
    remove({outer + QStringLiteral("/top.txt")});
    EXPECT_FALSE(QFileInfo::exists(outer + QStringLiteral("/top.txt"))) << "the outer share's own files go";

    // The inner code opens the inner share with its own rights, to the session that gave it only.
    EXPECT_EQ(checkCode("coded", "k9X", QStringLiteral("A|ME")), true);
    tryInner({"coded", true, true, true}, QStringLiteral("A|ME"));
    EXPECT_EQ(count(outer), "3") << "keep, nest and now coded";
    tryInner({"coded", false, false, false}, QStringLiteral("B|ME"));
}

TEST_F(PeerRulesOnTheStore, GuessingACodeMakesTheSessionWaitLongerAndLonger)
{
    const QString dir = makeDir(QStringLiteral("data/locked"));
    writeFile(QStringLiteral("data/locked/a.txt"), 1);
    publish(QStringLiteral("LOCK"), dir, QStringLiteral("Right1"));
    const QString guesser = QStringLiteral("G|ME");
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(checkCode("lock", "wrong", guesser), false) << i;

    // After five wrong codes the session waits 1 s; meanwhile even the right code is a wrong one.
    EXPECT_EQ(checkCode("lock", "Right1", guesser), false);
    EXPECT_EQ(askPromptly(QStringLiteral("getShareInfo"), Json{{"tag", "LOCK"}, {"pass", "Right1"}, {"isweb", "0"}}, guesser),
              Json({{"data", Json::array()}}));
    EXPECT_EQ(count(dir, guesser), "0");
    EXPECT_EQ(checkCode("lock", "Right1", QStringLiteral("H|ME")), true) << "an honest session is not held up";
    EXPECT_EQ(count(dir, QStringLiteral("H|ME")), "1");

    clock->advanceMs(999);
    EXPECT_EQ(checkCode("lock", "Right1", guesser), false);
    clock->advanceMs(1);
    EXPECT_EQ(checkCode("lock", "wrong", guesser), false) << "the sixth wrong code: 2 s";
    clock->advanceMs(1999);
    EXPECT_EQ(checkCode("lock", "Right1", guesser), false);
    clock->advanceMs(1);
    EXPECT_EQ(checkCode("lock", "wrong", guesser), false) << "the seventh: 4 s";
    clock->advanceMs(3999);
    EXPECT_EQ(checkCode("lock", "Right1", guesser), false);
    clock->advanceMs(1);
    EXPECT_EQ(checkCode("lock", "Right1", guesser), true);
    EXPECT_EQ(count(dir, guesser), "1");
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(checkCode("lock", "wrong", guesser), false) << "the right code forgave the slips " << i;
    EXPECT_EQ(checkCode("lock", "Right1", guesser), true);

    // Pauses grow no longer than a few minutes.
    for (int i = 0; i < 30; ++i) {
        clock->advanceMs(10 * 60 * 1000);
        checkCode("lock", "wrong", guesser);
    }
    clock->advanceMs(10 * 60 * 1000);
    EXPECT_EQ(checkCode("lock", "Right1", guesser), true);
}

TEST_F(PeerRulesOnTheStore, WrongCodesFromManySessionsSlowTheShareForNewcomers)
{
    publish(QStringLiteral("LOCK"), makeDir(QStringLiteral("data/locked")), QStringLiteral("Right1"));
    EXPECT_EQ(checkCode("", "right1", QStringLiteral("Early|ME")), false) << "no default share";
    EXPECT_EQ(checkCode("lock", "right1", QStringLiteral("Early|ME")), true);
    // One wrong code from each of many sessions, as a guesser that makes up session texts does.
    for (int i = 1; i <= 19; ++i)
        EXPECT_EQ(checkCode("LOCK", "wrong", QStringLiteral("S%1|ME").arg(i)), false) << i;
    EXPECT_EQ(checkCode("lock", "Right1", QStringLiteral("New1|ME")), true) << "nineteen are not many yet";
    EXPECT_EQ(checkCode("lock", "wrong", QStringLiteral("S20|ME")), false);

    EXPECT_EQ(checkCode("lock", "Right1", QStringLiteral("New2|ME")), false) << "the twentieth pauses the share";
    EXPECT_EQ(checkCode("LOCK", "Right1", QStringLiteral("Early|ME")), true) << "sessions that gave the code before go on";
    clock->advanceMs(1000);
    EXPECT_EQ(checkCode("lock", "Right1", QStringLiteral("New2|ME")), true);
}

TEST_F(PeerRulesOnTheStore, LinksThatLeadOutOfTheShareAreNeitherListedNorFollowed)
{
    const QString share = makeDir(QStringLiteral("data/pub"));
    writeFile(QStringLiteral("data/pub/in.txt"), 4);
    makeDir(QStringLiteral("data/pub/sub"));
    const QString privateFile = writeFile(QStringLiteral("data/private.txt"), 7777);
    const QString privateDir = makeDir(QStringLiteral("data/private"));
    writeFile(QStringLiteral("data/private/x.txt"), 1);
    ASSERT_TRUE(QFile::link(privateFile, share + QStringLiteral("/to-file")));
    ASSERT_TRUE(QFile::link(privateDir, share + QStringLiteral("/to-dir")));
    ASSERT_TRUE(QFile::link(share + QStringLiteral("/in.txt"), share + QStringLiteral("/to-in")));
    ASSERT_TRUE(QFile::link(home + QStringLiteral("/nowhere"), share + QStringLiteral("/dangling")));
    publish(QStringLiteral("PUB"), share);

    EXPECT_EQ(count(share), "3");
    const QStringList names = namesListed(share);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()), QSet<QString>({"sub", "in.txt", "to-in"}));
    EXPECT_EQ(count(share + QStringLiteral("/to-dir")), "0");
    EXPECT_EQ(downloadValid(share + QStringLiteral("/to-file")), 0);
    EXPECT_EQ(downloadValid(share + QStringLiteral("/to-in")), 1);
}

TEST_F(PeerRulesOnTheStore, HiddenEntriesCannotBeReachedByTheirExactPath)
{
    const QString share = makeDir(QStringLiteral("data/pub"));
    writeFile(QStringLiteral("data/pub/.ssh/id_rsa"), 10);
    writeFile(QStringLiteral("data/pub/.git/config"), 3);
    writeFile(QStringLiteral("data/pub/.env"), 5);
    writeFile(QStringLiteral("data/pub/visible.txt"), 2);
    ASSERT_TRUE(QFile::link(share + QStringLiteral("/visible.txt"), share + QStringLiteral("/.lnk")));
    publish(QStringLiteral("PUB"), share);

    for (const char *path : {"/.ssh/id_rsa", "/.env", "/.lnk", "/.git/../.env"})
        EXPECT_EQ(downloadValid(share + QLatin1String(path)), 0) << path;
    for (const char *dir : {"/.ssh", "/.git"})
        EXPECT_EQ(count(share + QLatin1String(dir)), "0") << dir;
    EXPECT_EQ(ask(QStringLiteral("fileUploadCheck"), Json{{"dir", (share + QStringLiteral("/.ssh")).toStdString()}, {"fileList", {"id_rsa"}}})["data"]["task"],
              Json::parse(R"([{"isExist":0,"size":0}])"));
    EXPECT_EQ(ask(QStringLiteral("buildIcon2"), Json{{"fileList", {(share + QStringLiteral("/.env|1|1|-1")).toStdString()}}}),
              Json({{"data", "[]"}}));
    makeFolder(share, QStringLiteral(".hooks"));
    makeFolder(share + QStringLiteral("/.git"), QStringLiteral("made"));
    remove({share + QStringLiteral("/.ssh/id_rsa"), share + QStringLiteral("/.git"), share + QStringLiteral("/.env"),
            share + QStringLiteral("/.lnk")});
    for (const char *path : {"/.ssh/id_rsa", "/.git/config", "/.env", "/.lnk"})
        EXPECT_TRUE(QFileInfo::exists(share + QLatin1String(path))) << path;
    EXPECT_FALSE(QFileInfo::exists(share + QStringLiteral("/.hooks")));
    EXPECT_FALSE(QFileInfo::exists(share + QStringLiteral("/.git/made")));
    EXPECT_EQ(downloadValid(share + QStringLiteral("/visible.txt")), 1);

    // A share whose own folder or file is hidden works like any other.
    const QString dots = makeDir(QStringLiteral("data/.dots"));
    writeFile(QStringLiteral("data/.dots/notes.txt"), 6);
    publish(QStringLiteral("DOTS"), dots);
    publish(QStringLiteral("ENV"), share + QStringLiteral("/.env"), {}, true, false, false);
    EXPECT_EQ(count(dots), "1");
    EXPECT_EQ(downloadValid(dots + QStringLiteral("/notes.txt")), 1);
    EXPECT_EQ(downloadValid(share + QStringLiteral("/.env")), 1);
}
