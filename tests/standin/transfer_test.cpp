#include "private_network.h"
#include "standin_harness.h"
#include "test_home.h"
#include "test_wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>

#include <gtest/gtest.h>

namespace {

QString home(const QString &relative)
{
    return TestHome::path() + QLatin1Char('/') + relative;
}

std::string text(const QString &s)
{
    return s.toStdString();
}

// A session with the loopback peer, signed in as a fresh account.
struct Session
{
    explicit Session(QMap<QString, QString> environment = {}) : standin(std::move(environment))
    {
        if (standin.start() && standin.connectClient())
            session = standin.signInAndConnect(QStringLiteral("lee@example.com"), QStringLiteral("pw"));
    }

    std::optional<Json> control(const QString &code, Json data)
    {
        data["Session"] = text(session);
        return standin.control(code, data, session);
    }

    std::optional<Json> uploadStatusAsSender()
    {
        const QString token = standin.sendRequest(QStringLiteral("WSDC"), QStringLiteral("RemoteUploadTaskInfo"),
                                                  Json{{"Session", text(session)}, {"IsProcessOnBridge", "YES"}},
                                                  session, QStringLiteral("YES"));
        const std::optional<Json> frame = standin.waitWsdc(token);
        return frame ? std::optional<Json>((*frame)["Data"]["Msg"]) : std::nullopt;
    }

    StandinHarness standin;
    QString session;
};

// Starts the download of a file of size bytes from share/ into save/ and waits until its copy has
// begun.
void startDownloadOfLargeFile(Session &s, qint64 size)
{
    ASSERT_TRUE(TestFiles::write(home("share/large.iso"), size));
    const std::optional<Json> started = s.control(
        QStringLiteral("Trans3_FC_00_CallStart"),
        Json{{"Targets", text(home("share/large.iso"))}, {"SaveAtLocalFolder", text(home("save"))}});
    ASSERT_EQ(started.value_or(Json()).value("Result", 0), 1);
    ASSERT_TRUE(waitFor([] { return !TestFiles::names(home("save")).isEmpty(); })) << "the copy started";
}

} // namespace

TEST(StandinTransfer, DownloadCopiesFilesAndFoldersWithProgressTo100)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    Session s({{QStringLiteral("FENMAR_STANDIN_COPY_DELAY_MS"), QStringLiteral("2")}});
    ASSERT_FALSE(s.session.isEmpty());
    ASSERT_TRUE(TestFiles::write(home("share/big.bin"), 700'000, 'b'));
    ASSERT_TRUE(TestFiles::write(home("share/photos/a.jpg"), 120'000, 'c'));
    ASSERT_TRUE(TestFiles::write(home("share/photos/deep/.hidden"), 10, 'd'));
    ASSERT_TRUE(TestFiles::write(home("share/empty.txt"), 0));
    ASSERT_TRUE(QFile::link(home("share/big.bin"), home("share/photos/link.bin")));

    const QString targets = home("share/big.bin") + "|" + home("share/photos") + "|" + home("share/empty.txt");
    const std::optional<Json> started = s.control(
        QStringLiteral("Trans3_FC_00_CallStart"),
        Json{{"Targets", text(targets)}, {"SaveAtLocalFolder", text(home("Documents/Fenmar/Downloads"))}});
    ASSERT_TRUE(started.has_value());
    ASSERT_EQ(started->value("Result", 0), 1) << started->dump();

    const std::vector<Json> seen = s.standin.pollUntilEnded(
        [&] { return s.control(QStringLiteral("Trans3_FC_TransTaskInfo"), Json::object()); });
    ASSERT_FALSE(seen.empty());
    const Json last = seen.back();
    ASSERT_EQ(last.value("TaskStatus", 0), 3) << last.dump();
    EXPECT_TRUE(last.value("IsFinished", false));
    EXPECT_EQ(last.value("IProgress", 0.0), 100.0);
    EXPECT_EQ(last.value("TotalTaskCount", 0), 4);
    EXPECT_EQ(last.value("TotalTaskDoneCount", 0), 4);
    EXPECT_EQ(last.value("TotalSize", 0), 820'010);
    EXPECT_EQ(last.value("TotalDoneSize", 0), 820'010);
    EXPECT_EQ(last.value("SkippedCount", 0), 1) << "the link inside the folder is not followed";
    double previous = 0;
    bool sawPartial = false;
    for (const Json &status : seen) {
        const double progress = status.value("IProgress", 0.0);
        EXPECT_GE(progress, previous);
        sawPartial = sawPartial || (progress > 0 && progress < 100);
        previous = progress;
    }
    EXPECT_TRUE(sawPartial) << "progress was reported on the way";

    const QString saved = home("Documents/Fenmar/Downloads");
    EXPECT_EQ(TestFiles::read(saved + "/big.bin"), TestFiles::read(home("share/big.bin")));
    EXPECT_EQ(TestFiles::read(saved + "/photos/a.jpg"), TestFiles::read(home("share/photos/a.jpg")));
    EXPECT_TRUE(QFile::exists(saved + "/photos/deep/.hidden"));
    EXPECT_TRUE(QFile::exists(saved + "/empty.txt"));
    EXPECT_FALSE(QFile::exists(saved + "/photos/link.bin"));
    EXPECT_EQ(TestFiles::names(saved), (QStringList{"big.bin", "empty.txt", "photos"})) << "no temporary files left";
}

TEST(StandinTransfer, NothingAlreadyThereIsOverwritten)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    Session s;
    ASSERT_FALSE(s.session.isEmpty());
    ASSERT_TRUE(TestFiles::write(home("share/report.pdf"), 5000, 'n'));
    ASSERT_TRUE(TestFiles::write(home("share/docs/a.txt"), 50, 'n'));
    ASSERT_TRUE(TestFiles::write(home("save/report.pdf"), 10, 'o'));
    ASSERT_TRUE(TestFiles::write(home("save/docs/keep.txt"), 10, 'o'));
    ASSERT_TRUE(TestFiles::write(home("share/link.txt"), 20, 'l'));
    // A dangling link in the destination must not lead the copy elsewhere.
    ASSERT_TRUE(QFile::link(home("outside/victim.txt"), home("save/link.txt")));
    const QByteArray old = TestFiles::read(home("save/report.pdf"));

    const std::optional<Json> started = s.control(
        QStringLiteral("Trans3_FC_00_CallStart"),
        Json{{"Targets", text(home("share/report.pdf") + "|" + home("share/docs") + "|" + home("share/link.txt"))},
             {"SaveAtLocalFolder", text(home("save"))}});
    ASSERT_EQ(started.value_or(Json()).value("Result", 0), 1);
    const Json last = s.standin.pollUntilEnded(
        [&] { return s.control(QStringLiteral("Trans3_FC_TransTaskInfo"), Json::object()); }).back();
    ASSERT_EQ(last.value("TaskStatus", 0), 3) << last.dump();
    EXPECT_EQ(last.value("RenamedCount", 0), 3);
    EXPECT_FALSE(QFile::exists(home("outside/victim.txt")));
    EXPECT_EQ(TestFiles::read(home("save/link (1).txt")), TestFiles::read(home("share/link.txt")));
    EXPECT_EQ(TestFiles::read(home("save/report.pdf")), old);
    EXPECT_EQ(TestFiles::read(home("save/report (1).pdf")), TestFiles::read(home("share/report.pdf")));
    EXPECT_EQ(TestFiles::names(home("save/docs")), QStringList{"keep.txt"}) << "an existing folder is not merged into";
    EXPECT_TRUE(QFile::exists(home("save/docs (1)/a.txt")));
}

TEST(StandinTransfer, CancelledUploadLeavesNoPartialFile)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    Session s({{QStringLiteral("FENMAR_STANDIN_COPY_DELAY_MS"), QStringLiteral("20")}});
    ASSERT_FALSE(s.session.isEmpty());
    ASSERT_TRUE(TestFiles::write(home("local/movie.mp4"), 4 * 1024 * 1024));
    ASSERT_TRUE(QDir().mkpath(home("share/inbox")));

    const std::optional<Json> started = s.control(
        QStringLiteral("Trans2_FS_00_CallStart"),
        Json{{"Targets", text(home("local/movie.mp4"))}, {"RemotePathRoot", text(home("share/inbox"))}});
    ASSERT_EQ(started.value_or(Json()).value("Result", 0), 1) << started.value_or(Json()).dump();
    std::optional<Json> status;
    for (int i = 0; i < 200; ++i) {
        status = s.uploadStatusAsSender();
        if (!status || status->value("TotalDoneSize", 0) > 0)
            break;
    }
    ASSERT_TRUE(status && status->value("TaskStatus", 0) == 2) << status.value_or(Json()).dump();
    EXPECT_FALSE(TestFiles::names(home("share/inbox")).isEmpty()) << "the copy is under way";

    s.control(QStringLiteral("Trans2_FS_00_Cancel"), Json::object());
    const Json last = s.standin.pollUntilEnded([&] { return s.uploadStatusAsSender(); }).back();
    EXPECT_EQ(last.value("TaskStatus", 0), 5) << last.dump();
    EXPECT_TRUE(last.value("ForceCancel", false));
    EXPECT_LT(last.value("IProgress", 100.0), 100.0);
    EXPECT_EQ(TestFiles::names(home("share/inbox")), QStringList()) << "no partial or temporary file";
}

TEST(StandinTransfer, TransfersStayInsideTheirFolderAndNeedAPeerSession)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    Session s;
    ASSERT_FALSE(s.session.isEmpty());
    ASSERT_TRUE(TestFiles::write(home("local/a.txt"), 10));
    const auto startUpload = [&](const Json &data) {
        return s.control(QStringLiteral("Trans2_FS_00_CallStart"), data).value_or(Json()).value("Result", -1);
    };
    EXPECT_EQ(startUpload({{"Targets", text(home("local/a.txt"))}, {"RemotePathRoot", text(home("no/such/folder"))}}), 0);
    EXPECT_FALSE(QDir(home("no")).exists()) << "a peer's folder is never made up";
    EXPECT_EQ(startUpload({{"Targets", text(home("local/missing.txt"))}, {"RemotePathRoot", text(home("local"))}}), 0);
    EXPECT_EQ(startUpload({{"Targets", "C:\\Users\\x.txt"}, {"RemotePathRoot", text(home("local"))}}), 0);
    EXPECT_EQ(startUpload({{"Targets", ""}, {"RemotePathRoot", text(home("local"))}}), 0);

    const std::optional<Json> noSession = s.standin.control(
        QStringLiteral("Trans3_FC_00_CallStart"),
        Json{{"Session", "A|B"}, {"Targets", text(home("local/a.txt"))}, {"SaveAtLocalFolder", text(home("save"))}},
        QStringLiteral("A|B"));
    EXPECT_EQ(noSession.value_or(Json()).value("Result", -1), 0);
    EXPECT_FALSE(QDir(home("save")).exists());
}

TEST(StandinTransfer, DeliveryGoesIntoTheFolderTheReceiverAccepted)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    Session s;
    ASSERT_FALSE(s.session.isEmpty());
    ASSERT_TRUE(TestFiles::write(home("send/notes.txt"), 3000, 'x'));
    ASSERT_TRUE(TestFiles::write(home("send/album/p1.png"), 4000, 'y'));
    ASSERT_TRUE(QDir().mkpath(home("Documents/Fenmar/MyReceived")));

    const std::optional<Json> prepared = s.control(
        QStringLiteral("PreparingUpload"),
        Json{{"Targets", text(home("send/notes.txt") + "|" + home("send/album"))},
             {"LocalRootPath", text(home("send"))},
             {"RemoteSaveRootPath", "Z:\\"}});
    ASSERT_TRUE(prepared.has_value());
    ASSERT_EQ(prepared->value("Result", 0), 1) << prepared->dump();
    const Json fileList = (*prepared)["FileList"];
    ASSERT_EQ(fileList.size(), 3u);
    EXPECT_EQ(fileList[1].value("PathSave", ""), "Z:\\album");
    EXPECT_EQ(fileList[2].value("PathSave", ""), "Z:\\album\\p1.png");
    EXPECT_EQ(prepared->value("TotalSize", 0), 7000);

    const auto start = [&](const Json &list) {
        return s.control(QStringLiteral("StartRemoteUpload"), Json{{"ClientID1", ""}, {"ClientID2", ""}, {"FileList", list}})
            .value_or(Json());
    };
    EXPECT_EQ(start(fileList).value("Result", -1), 0) << "not before the receiver accepted";

    // The receiver's decision passes through the relay.
    const QString ask = s.standin.sendRequest(QStringLiteral("WSDC"), QStringLiteral("WaitRemoteReceiveFilesPressButton"),
                                              Json{{"UUID", "offer-1"}}, s.session, QStringLiteral("NO"));
    const std::optional<Json> relayed = s.standin.waitFrame([](const Json &frame) {
        return frame["Data"].is_object() && frame["Data"].value("Code", "") == "WaitRemoteReceiveFilesPressButton";
    });
    ASSERT_TRUE(relayed.has_value());
    const Json request = (*relayed)["Data"];
    s.standin.sendTextFrame(QStringLiteral("WSDC"),
                            QString::fromStdString(Json{{"Data", {{"data", text(home("Documents/Fenmar/MyReceived"))}}},
                                                        {"Token", request.value("Token", "")},
                                                        {"Session", request.value("Session", "")},
                                                        {"Code", request.value("Code", "")}}
                                                       .dump()));
    ASSERT_TRUE(s.standin.waitWsdc(ask).has_value());

    Json escaping = fileList;
    escaping[0]["PathSave"] = "Z:\\..\\..\\evil.txt";
    EXPECT_EQ(start(escaping).value("Result", -1), 0) << "a path leading out of the folder is refused";
    Json elsewhere = fileList;
    elsewhere[0]["PathSave"] = text(home("elsewhere/notes.txt"));
    EXPECT_EQ(start(elsewhere).value("Result", -1), 0);

    ASSERT_EQ(start(fileList).value("Result", -1), 1);
    const Json last = s.standin.pollUntilEnded([&] {
        return s.control(QStringLiteral("RefreshRemoteUploadStatus_FromLocal"), Json::object());
    }).back();
    ASSERT_EQ(last.value("TaskStatus", 0), 3) << last.dump();
    EXPECT_EQ(s.uploadStatusAsSender().value_or(Json()).value("TaskStatus", 0), 3) << "the sender sees the same";
    const QString received = home("Documents/Fenmar/MyReceived");
    EXPECT_EQ(TestFiles::read(received + "/notes.txt"), TestFiles::read(home("send/notes.txt")));
    EXPECT_EQ(TestFiles::read(received + "/album/p1.png"), TestFiles::read(home("send/album/p1.png")));
    EXPECT_FALSE(QFile::exists(home("evil.txt")));
    EXPECT_FALSE(QDir(home("elsewhere")).exists());

    // A new offer forgets the finished delivery and its folder.
    s.control(QStringLiteral("ResetRemoteUploadStatus_FromLocal"), Json::object());
    EXPECT_EQ(s.uploadStatusAsSender().value_or(Json()).value("TaskStatus", -1), 0);
    EXPECT_EQ(start(fileList).value("Result", -1), 0);
}

TEST(StandinTransfer, ClientVanishingMidTransferLeavesNoHalfFile)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    Session s({{QStringLiteral("FENMAR_STANDIN_COPY_DELAY_MS"), QStringLiteral("20")}});
    ASSERT_FALSE(s.session.isEmpty());
    ASSERT_NO_FATAL_FAILURE(startDownloadOfLargeFile(s, 4 * 1024 * 1024));

    s.standin.disconnectClient();
    EXPECT_TRUE(waitFor([] { return TestFiles::names(home("save")).isEmpty(); })) << TestFiles::names(home("save")).join(u' ').toStdString();
    EXPECT_EQ(s.standin.process().state(), QProcess::Running);
    ASSERT_TRUE(s.standin.connectClient()) << "the next client is served";
    EXPECT_TRUE(s.standin.control(QStringLiteral("PingBridge"), Json{{"m", ""}}).has_value());
}

TEST(StandinTransfer, AFileACrashCutOffIsRemovedAtTheNextStartAndARunningCopyIsLeftAlone)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    Session crashing({{QStringLiteral("FENMAR_STANDIN_COPY_DELAY_MS"), QStringLiteral("20")}});
    ASSERT_FALSE(crashing.session.isEmpty());
    ASSERT_NO_FATAL_FAILURE(startDownloadOfLargeFile(crashing, 32 * 1024 * 1024));
    const QStringList partial = TestFiles::names(home("save"));
    ASSERT_EQ(partial.size(), 1);
    ASSERT_TRUE(partial.first().startsWith(QStringLiteral(".fenmar-part-")));

    // Another bridge starting meanwhile leaves the file of one that runs alone.
    {
        StandinHarness other;
        ASSERT_TRUE(other.start());
        EXPECT_EQ(TestFiles::names(home("save")), partial);
    }

    ::kill(pid_t(crashing.standin.process().processId()), SIGKILL);
    ASSERT_TRUE(crashing.standin.process().waitForFinished(5000));
    EXPECT_EQ(TestFiles::names(home("save")), partial) << "the crash left the half file";

    StandinHarness next;
    ASSERT_TRUE(next.start());
    EXPECT_EQ(TestFiles::names(home("save")), QStringList());
    EXPECT_TRUE(next.output().contains(QStringLiteral("Removed an unfinished transfer file: ") + home("save/") + partial.first()))
        << next.output().toStdString();
    EXPECT_EQ(QFileInfo(home("share/large.iso")).size(), 32 * 1024 * 1024) << "the source is never touched";
}
