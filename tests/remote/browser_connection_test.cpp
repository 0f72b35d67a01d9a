// The browser's road from the host to its first page, and every way that road can end.

#include "remote_test_support.h"

#include "bridge_supervisor.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "env.h"
#include "link_status.h"
#include "p2p_client_msg.h"
#include "remote_file_table.h"
#include "session_state.h"

#include <QPushButton>

using namespace RemoteTest;
using P2PClientMsg::ConStatus;

namespace {

QString retryShown(ViewSharingRemoteFileList &view)
{
    auto *retry = view.findChild<QPushButton *>(QStringLiteral("retryButton"));
    return retry && retry->isVisible() ? retry->text() : QString();
}

} // namespace

TEST_F(RemoteFixture, ConnectedBrowserListsTheShareWithThumbnailsOneAtATime)
{
    ViewSharingRemoteFileList &view = openConnected(host(QStringLiteral("pat"), QStringLiteral("Pics"), QStringLiteral("1234")));

    ASSERT_EQ(bridge.count(QStringLiteral("ClientInit")), 1);
    const Json init = bridge.withCode(QStringLiteral("ClientInit")).first().data;
    EXPECT_EQ(init["Id_user"], "TOKEN");
    EXPECT_EQ(init["Hostname"], "pat");
    EXPECT_EQ(init["Hosttag"], "Pics");
    EXPECT_EQ(init["Hostpassword"], "1234");
    const Json info = bridge.withCode(QStringLiteral("getShareInfo")).first().data;
    EXPECT_EQ(info, (Json{{"tag", "Pics"}, {"pass", "1234"}, {"isweb", 0}}));

    EXPECT_EQ(view.conStatus(), ConStatus::csConnected);
    EXPECT_EQ(view.hostStateText(), english("RS_Connected"));
    EXPECT_EQ(view.folder().root(), QStringLiteral("/srv/pics"));
    const auto lists = bridge.withCode(QStringLiteral("getFileList"));
    ASSERT_EQ(lists.size(), 2);
    EXPECT_EQ(lists[0].data["iProbeCount"], 1);
    EXPECT_EQ(lists[0].data["iPageSize"], 50);
    EXPECT_EQ(lists[1].data["iProbeCount"], 0);
    EXPECT_EQ(lists[1].data["iPageIndex"], 1);
    EXPECT_EQ(lists[1].data["dir"], "/srv/pics");
    ASSERT_EQ(view.items().size(), 3);
    EXPECT_EQ(view.table()->topLevelItemCount(), 3);
    EXPECT_EQ(view.table()->topLevelItem(0)->text(0), QStringLiteral("photo001.png"));
    EXPECT_EQ(view.table()->topLevelItem(0)->text(1), QStringLiteral("1000.00 bytes"));
    EXPECT_TRUE(view.listMessage().isEmpty());

    ASSERT_TRUE(waitFor([&] { return view.table()->hasThumbnail(2); }));
    const auto icons = bridge.withCode(QStringLiteral("buildIcon2"));
    ASSERT_EQ(icons.size(), 3);
    EXPECT_EQ(icons[1].data, (Json{{"size", 48}, {"fileList", {"/srv/pics/photo002.png|1|1|-1"}}}));
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(view.table()->hasThumbnail(row)) << row;
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 1);
    EXPECT_EQ(HelperRemoteSharing::globalFileListView, &view);
}

TEST_F(RemoteFixture, ThumbnailsNeverOverlapAndSkipWhatIsNoPicture)
{
    bridge.folders[QStringLiteral("/srv/pics")] = {{QStringLiteral("a.PNG"), false, 10},
                                                   {QStringLiteral("notes.txt"), false, 10},
                                                   {QStringLiteral("clip.mp4"), false, 10},
                                                   {QStringLiteral("album.jpg"), true, 0}};
    bridge.holdCodes.insert(QStringLiteral("buildIcon2"));
    ViewSharingRemoteFileList &view = openConnected();
    spin(100);
    ASSERT_EQ(bridge.count(QStringLiteral("buildIcon2")), 1) << "one thumbnail in flight at a time";
    bridge.answer(bridge.withCode(QStringLiteral("buildIcon2")).first(),
                  bridge.scriptedAnswer(bridge.withCode(QStringLiteral("buildIcon2")).first()));
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("buildIcon2")) == 2; }));
    EXPECT_TRUE(view.table()->hasThumbnail(0));
    EXPECT_EQ(bridge.withCode(QStringLiteral("buildIcon2")).last().data["fileList"][0], "/srv/pics/clip.mp4|2|1|-1");

    // A thumbnail that never comes holds nothing up for long.
    elapse(ViewSharingRemoteFileList::iconTimeoutMs);
    spin(100);
    EXPECT_EQ(bridge.count(QStringLiteral("buildIcon2")), 2) << "nothing else to draw: a text file and a folder";
    EXPECT_FALSE(view.table()->hasThumbnail(2));
}

TEST_F(RemoteFixture, AFullHostSaysSoAndGivesTheConnectionUp)
{
    bridge.peerLimit = 2;
    bridge.peerSessions = 2;
    ViewSharingRemoteFileList &view = openBrowser();
    ASSERT_TRUE(waitFor([&] { return view.isHostInvalid(); }));
    EXPECT_EQ(view.conStatus(), ConStatus::csMaxClients);
    EXPECT_EQ(view.hostStateText(), QStringLiteral("Max Connection Limits Reached!"));
    EXPECT_EQ(view.listMessage(), QStringLiteral("Max Connection Limits Reached!"));
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
    EXPECT_FALSE(view.isConnecting());
    EXPECT_EQ(bridge.count(QStringLiteral("getShareInfo")), 0);
    EXPECT_EQ(retryShown(view), english("RS_Retry"));
}

TEST_F(RemoteFixture, AHostTheBridgeCannotReachIsInvalidUntilTriedAgain)
{
    bridge.connect = ScriptedRemoteBridge::Connect::Fails;
    ViewSharingRemoteFileList &view = openBrowser();
    ASSERT_TRUE(waitFor([&] { return view.isHostInvalid(); }));
    EXPECT_EQ(view.conStatus(), ConStatus::csInvalid);
    EXPECT_EQ(view.hostStateText(), english("RS_Host_NotAvialableAndCheck"));
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);

    bridge.connect = ScriptedRemoteBridge::Connect::Stands;
    view.findChild<QPushButton *>(QStringLiteral("retryButton"))->click();
    ASSERT_TRUE(waitFor([&] { return view.isConnected() && !view.isLoading(); }));
    EXPECT_EQ(bridge.count(QStringLiteral("ClientInit")), 2);
    EXPECT_EQ(view.items().size(), 3);
    EXPECT_TRUE(retryShown(view).isEmpty());
}

TEST_F(RemoteFixture, NoConnectionStateByItsDeadlineEndsAsNoAnswer)
{
    bridge.connect = ScriptedRemoteBridge::Connect::Silent;
    ViewSharingRemoteFileList &view = openBrowser();
    spin(50);
    EXPECT_TRUE(view.isConnecting());
    EXPECT_EQ(view.hostStateText(), english("RS_Connecting"));
    view.ConnectRemoteHost();
    spin(50);
    EXPECT_EQ(bridge.count(QStringLiteral("ClientInit")), 1) << "no second attempt while one is being made";

    elapse(ViewSharingRemoteFileList::answerTimeoutMs - 1);
    EXPECT_TRUE(view.isConnecting());
    elapse(1);
    EXPECT_TRUE(view.isHostInvalid());
    EXPECT_EQ(view.hostStateText(), english("RS_NoAnswer"));
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
}

TEST_F(RemoteFixture, ARefusedShareOrADisabledOneIsShownAsSuch)
{
    bridge.share.reset();
    ViewSharingRemoteFileList &view = openBrowser();
    ASSERT_TRUE(waitFor([&] { return view.isHostInvalid(); }));
    EXPECT_EQ(view.hostStateText(), english("RS_ShareRefused"));
    EXPECT_EQ(bridge.count(QStringLiteral("getFileList")), 0);

    bridge.share = Json{{"tag", "Pics"}, {"path", "/srv/pics"}, {"isdir", 1}, {"isenabled", 0}};
    view.ConnectRemoteHost();
    ASSERT_TRUE(waitFor([&] { return view.isHostInvalid(); }));
    EXPECT_EQ(view.hostStateText(), english("RS_ShareDisabled"));
}

TEST_F(RemoteFixture, ARefusedShareLetsTheCodeBeTypedAgainAndAWorkingCodeIsKept)
{
    RemoteSharing stored = RemoteTest::host();
    stored.password = QStringLiteral("old");
    ASSERT_TRUE(RemoteSharing_Add(stored));
    bridge.share.reset();
    ViewSharingRemoteFileList &view = openBrowser(stored);
    ASSERT_TRUE(waitFor([&] { return view.isHostInvalid(); }));
    QPushButton *enter = view.findChild<QPushButton *>(QStringLiteral("enterCodeButton"));
    ASSERT_TRUE(enter && enter->isVisible());

    // A code that still fails is not kept.
    enter->click();
    ASSERT_TRUE(waitFor([&] { return view.accessCodeDialog()->isVisible(); }));
    view.accessCodeDialog()->setting()->setValue(QStringLiteral("wrong"));
    view.accessCodeDialog()->onOK();
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("getShareInfo")) == 2 && view.isHostInvalid(); }));
    EXPECT_EQ(bridge.withCode(QStringLiteral("getShareInfo")).last().data["pass"], "wrong");
    EXPECT_EQ(RemoteSharing_List().value(0).password, "old");

    // One that works opens the share and is stored with the host.
    bridge.share = Json{{"tag", "Pics"}, {"path", "/srv/pics"}, {"isdir", 1}, {"isenabled", 1}};
    view.retryWithAccessCode(QStringLiteral("Secret42"));
    ASSERT_TRUE(waitFor([&] { return view.isConnected(); }));
    EXPECT_EQ(bridge.withCode(QStringLiteral("getShareInfo")).last().data["pass"], "Secret42");
    EXPECT_EQ(RemoteSharing_List().value(0).password, "Secret42");
    EXPECT_FALSE(enter->isVisible());
}

TEST_F(RemoteFixture, AShareThatStopsAnsweringOrChangesIsReportedGone)
{
    ViewSharingRemoteFileList &view = openConnected();
    elapse(1000);
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("CheckHost")) >= 1; }));
    EXPECT_EQ(bridge.withCode(QStringLiteral("CheckHost")).first().data, (Json{{"tag", "Pics"}}));
    spin(50);
    EXPECT_TRUE(view.isConnected());

    // The share is made anew under the same tag: not the share the user opened.
    bridge.ctime = QStringLiteral("2025-05-05 05:05:05");
    elapse(1000);
    ASSERT_TRUE(waitFor([&] { return view.isHostInvalid(); }));
    EXPECT_EQ(view.hostStateText(), english("RS_Host_NotAvialableAndCheck"));

    bridge.ctime = QStringLiteral("2024-01-02 03:04:05");
    view.ConnectRemoteHost();
    ASSERT_TRUE(waitFor([&] { return view.isConnected() && !view.isLoading(); }));
    bridge.holdCodes.insert(QStringLiteral("CheckHost"));
    const int checks = bridge.count(QStringLiteral("CheckHost"));
    elapse(1000);
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("CheckHost")) == checks + 1; }));
    elapse(ViewSharingRemoteFileList::checkHostTimeoutMs - 1000);
    EXPECT_EQ(bridge.count(QStringLiteral("CheckHost")), checks + 1) << "one check at a time";
    EXPECT_TRUE(view.isConnected());
    elapse(1000);
    EXPECT_TRUE(view.isHostInvalid());
}

TEST_F(RemoteFixture, WithoutASignInOrABridgeNothingIsSent)
{
    Env::userInfo.Token.clear();
    ViewSharingRemoteFileList &view = openBrowser();
    EXPECT_TRUE(view.isHostInvalid());
    EXPECT_EQ(view.hostStateText(), english("RS_SignInFirst"));

    Env::userInfo.Token = QStringLiteral("TOKEN");
    Env::isBridgeConnected = false;
    view.ConnectRemoteHost();
    EXPECT_EQ(view.hostStateText(), english("RS_ServiceRestoring"));
    spin(50);
    EXPECT_EQ(bridge.count(QStringLiteral("ClientInit")), 0);
}

TEST_F(RemoteFixture, ALostServiceIsSaidAndTheBrowserComesBackToItsFolderAndPage)
{
    bridge.folders[QStringLiteral("/srv/pics")] = entries(60, QStringLiteral("dir"), QString());
    bridge.folders[QStringLiteral("/srv/pics/dir055")] = entries(120, QStringLiteral("f"), QStringLiteral("txt"));
    ViewSharingRemoteFileList &view = openConnected();
    ASSERT_TRUE(view.goToPage(2));
    ASSERT_TRUE(waitFor([&] { return !view.isLoading(); }));
    view.openFolder(4);
    ASSERT_TRUE(waitFor([&] { return !view.isLoading(); }));
    ASSERT_TRUE(view.goToPage(3));
    ASSERT_TRUE(waitFor([&] { return !view.isLoading(); }));
    ASSERT_EQ(view.folder().current(), QStringLiteral("/srv/pics/dir055"));
    const int inits = bridge.count(QStringLiteral("ClientInit"));

    // The bridge goes, and its link with it: neither the host nor its share is blamed.
    Env::restartBridgeBlock();
    Env::cancelPendingRelaunch();
    EXPECT_TRUE(view.isWaitingForService());
    EXPECT_EQ(view.hostStateText(), english("RS_ServiceRestoring"));
    EXPECT_EQ(view.listMessage(), english("RS_ServiceRestoring"));
    elapse(ViewSharingRemoteFileList::checkHostTimeoutMs + ViewSharingRemoteFileList::answerTimeoutMs);
    EXPECT_EQ(view.hostStateText(), english("RS_ServiceRestoring"));

    // A new link that is not signed in yet changes nothing.
    ASSERT_TRUE(bridge.connectClient());
    spin(50);
    EXPECT_EQ(bridge.count(QStringLiteral("ClientInit")), inits);
    EXPECT_EQ(view.hostStateText(), english("RS_ServiceRestoring"));

    // Signed in again: the browser connects by itself, in the folder and on the page it was on.
    Env::userInfo.Token = QStringLiteral("TOKEN-2");
    LinkStatus::noteSignedIn();
    ASSERT_TRUE(waitFor([&] { return view.isConnected() && !view.isLoading(); })) << view.hostStateText().toStdString();
    EXPECT_EQ(bridge.count(QStringLiteral("ClientInit")), inits + 1);
    EXPECT_FALSE(view.isWaitingForService());
    EXPECT_EQ(view.folder().current(), QStringLiteral("/srv/pics/dir055"));
    EXPECT_EQ(view.paging().pageIndex(), 3);
    EXPECT_EQ(view.items().first().name, QStringLiteral("f101.txt"));
    view.goUp();
    ASSERT_TRUE(waitFor([&] { return !view.isLoading(); }));
    EXPECT_EQ(view.paging().pageIndex(), 2) << "the way back up is kept too";
}

TEST_F(RemoteFixture, StatesForAnotherOwnerOrAClosedBrowserGoNowhere)
{
    ViewSharingRemoteFileList &view = openConnected();
    HelperRemoteSharing::linkOwner = 3;
    P2PClientMsg::setConStatus(ConStatus::csInvalid);
    EXPECT_TRUE(view.isConnected()) << "the contact page owns the link now";

    HelperRemoteSharing::linkOwner = 1;
    browser.reset();
    EXPECT_EQ(HelperRemoteSharing::globalFileListView, nullptr);
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 0);
    P2PClientMsg::setConStatus(ConStatus::csConnected);
}

TEST_F(RemoteFixture, AShareOfOneFileShowsThatFileAlone)
{
    bridge.share = Json{{"tag", "Pics"}, {"path", "/srv/pics/report.pdf"}, {"isdir", 0}, {"isenabled", 1},
                        {"isdownload", 1}, {"isupload", 1}};
    ViewSharingRemoteFileList &view = openConnected();
    EXPECT_EQ(names(view), QStringList{QStringLiteral("report.pdf")});
    EXPECT_EQ(bridge.count(QStringLiteral("getFileList")), 0);
    view.openUpload();
    EXPECT_EQ(view.uploadSheet(), nullptr) << "nothing can be put into a file";
}
