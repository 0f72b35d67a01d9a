// The browser's road from the host to its pages, and every way that road can end.

#include "remote_test_support.h"

#include "bridge_supervisor.h"
#include "clock.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "env.h"
#include "link_status.h"
#include "localization.h"
#include "p2p_client_msg.h"
#include "p2p_requests_to_peers.h"
#include "remote_file_table.h"
#include "session_state.h"

#include <QAbstractButton>
#include <QTest>

using namespace RemoteTest;

TEST_F(RemoteFixture, ConnectsListsTheShareAndDrawsItsPicturesOneAtATime)
{
    folder("/srv/pics") = {{"a.png", false, 1000},     {"notes.txt", false, 10}, {"Photo.JPG", false, 10},
                           {"scan.PNG", false, 10},   {"clip.mp4", false, 10},  {"album.jpg", true, 0}};
    bridge.holdCodes.insert("buildIcon2");
    ViewSharingRemoteFileList &view = openConnected(host("pat", "Pics", "1234"));
    EXPECT_EQ(last("ClientInit"),
              (Json{{"Id_user", "TOKEN"}, {"Hostname", "pat"}, {"Hosttag", "Pics"}, {"Hostpassword", "1234"}}));
    EXPECT_EQ(last("getShareInfo"), (Json{{"tag", "Pics"}, {"pass", "1234"}, {"isweb", 0}}));
    EXPECT_EQ(view.hostStateText(), english("RS_Connected"));
    EXPECT_EQ(HelperRemoteSharing::linkOwner, 1);
    EXPECT_EQ(HelperRemoteSharing::globalFileListView, &view);
    // The count of the share's root, then its first page of fifty.
    const auto lists = bridge.withCode("getFileList");
    ASSERT_EQ(lists.size(), 2);
    for (const auto &[list, probe] : {std::pair{lists[0], 1}, {lists[1], 0}}) {
        EXPECT_EQ(list.data["dir"], "/srv/pics");
        EXPECT_EQ(list.data["iProbeCount"], probe);
        EXPECT_EQ(list.data["iPageIndex"], 1);
        EXPECT_EQ(list.data["iPageSize"], 50);
    }
    EXPECT_EQ(names(view), QStringList({"a.png", "notes.txt", "Photo.JPG", "scan.PNG", "clip.mp4", "album.jpg"}));
    EXPECT_EQ(view.table()->topLevelItem(0)->text(1), "1000.00 bytes");
    EXPECT_TRUE(view.listMessage().isEmpty());

    // Pictures and clips only, whatever the case of their extension, one request at a time; one
    // unanswered for ten seconds gives way.
    ASSERT_TRUE(waitFor([&] { return sent("buildIcon2") == 1; }));
    ASSERT_TRUE(bridge.caughtUp());
    ASSERT_EQ(sent("buildIcon2"), 1);
    EXPECT_EQ(last("buildIcon2"), (Json{{"size", 48}, {"fileList", {"/srv/pics/a.png|0|1|-1"}}}));
    elapse(10'000);
    ASSERT_TRUE(waitFor([&] { return sent("buildIcon2") == 2; }));
    EXPECT_EQ(last("buildIcon2")["fileList"][0], "/srv/pics/Photo.JPG|2|1|-1");
    bridge.holdCodes.clear();
    bridge.release("buildIcon2");
    ASSERT_TRUE(waitFor([&] { return view.table()->hasThumbnail(4); }));
    ASSERT_TRUE(bridge.caughtUp());
    ASSERT_EQ(sent("buildIcon2"), 4);
    EXPECT_EQ(bridge.withCode("buildIcon2")[2].data["fileList"][0], "/srv/pics/scan.PNG|3|1|-1");
    EXPECT_EQ(last("buildIcon2")["fileList"][0], "/srv/pics/clip.mp4|4|1|-1");
    for (const int row : {2, 3})
        EXPECT_TRUE(view.table()->hasThumbnail(row)) << row;
    for (const int row : {0, 1, 5})
        EXPECT_FALSE(view.table()->hasThumbnail(row)) << row;
}

TEST_F(RemoteFixture, EveryWayTheRoadEndsIsShownAndRetryConnectsOnceTheCauseIsGone)
{
    RemoteSharing stored = host();
    ASSERT_TRUE(RemoteSharing_Add(stored));
    struct Case {
        const char *what;
        std::function<void()> cause, mend;
        QString state;
        qint64 waitMs; // the browser waits this long for an answer that does not come
    };
    const Json share = *bridge.share;
    const auto connects = [&](ScriptedRemoteBridge::Connect how) { return [&, how] { bridge.connect = how; }; };
    const auto restore = [&] { bridge.share = share; };
    for (const Case &c :
         {Case{"a full host", [&] { bridge.peerSessions = bridge.peerLimit; }, [&] { bridge.peerSessions = 0; },
               "Max Connection Limits Reached!", 0},
          Case{"an unreachable host", connects(ScriptedRemoteBridge::Connect::Fails),
               connects(ScriptedRemoteBridge::Connect::Stands), english("RS_Host_NotAvialableAndCheck"), 0},
          Case{"no connection state", connects(ScriptedRemoteBridge::Connect::Silent),
               connects(ScriptedRemoteBridge::Connect::Stands), english("RS_NoAnswer"), 15'000},
          Case{"no share info", [&] { bridge.holdCodes = {"getShareInfo"}; }, [&] { bridge.holdCodes.clear(); },
               english("RS_NoAnswer"), 15'000},
          Case{"a refused share", [&] { bridge.share.reset(); }, restore, english("RS_ShareRefused"), 0},
          Case{"a disabled share", [&] { (*bridge.share)["isenabled"] = 0; }, restore, english("RS_ShareDisabled"), 0},
          Case{"no sign-in", [] { Env::userInfo.Token.clear(); }, [] { Env::userInfo.Token = "TOKEN"; },
               english("RS_SignInFirst"), 0},
          Case{"no bridge", [] { Env::isBridgeConnected = false; }, [] { Env::isBridgeConnected = true; },
               english("RS_ServiceRestoring"), 0}}) {
        c.cause();
        bridge.requests.clear();
        ViewSharingRemoteFileList &view = openBrowser(stored);
        if (c.waitMs > 0) {
            // The wait starts with the request left unanswered.
            const char *unanswered =
                bridge.connect == ScriptedRemoteBridge::Connect::Silent ? "ClientInit" : "getShareInfo";
            ASSERT_TRUE(waitFor([&] { return sent(unanswered) == 1; })) << c.what;
            view.ConnectRemoteHost(); // not a second attempt while one is being made
            elapse(c.waitMs - 1);
            EXPECT_EQ(view.hostStateText(), english("RS_Connecting")) << c.what;
            elapse(1);
        }
        ASSERT_TRUE(waitFor([&] { return view.isHostInvalid(); })) << c.what;
        EXPECT_EQ(view.hostStateText(), c.state) << c.what;
        EXPECT_EQ(view.listMessage(), c.state) << c.what;
        EXPECT_EQ(HelperRemoteSharing::linkOwner, 0) << c.what;
        const bool asked = Env::isBridgeConnected && !Env::userInfo.Token.isEmpty();
        ASSERT_TRUE(!Env::isBridgeConnected || bridge.caughtUp()) << c.what;
        EXPECT_EQ(sent("ClientInit"), asked ? 1 : 0) << c.what;
        const bool refused = c.state == english("RS_ShareRefused");
        EXPECT_EQ(button("enterCodeButton")->isVisible(), refused) << c.what;
        ASSERT_TRUE(button("retryButton")->isVisible()) << c.what;
        if (refused) {
            // The access code can be typed again; one that still fails is not kept.
            button("enterCodeButton")->click();
            ASSERT_TRUE(waitFor([&] { return view.accessCodeDialog()->isVisible(); }));
            view.accessCodeDialog()->setting()->setValue("wrong");
            view.accessCodeDialog()->onOK();
            ASSERT_TRUE(waitFor([&] { return sent("getShareInfo") == 2 && view.isHostInvalid(); }));
            EXPECT_EQ(last("getShareInfo")["pass"], "wrong");
            EXPECT_EQ(RemoteSharing_List().value(0).password, "1234");
        }
        c.mend();
        if (refused)
            view.retryWithAccessCode("Secret42");
        else
            button("retryButton")->click();
        ASSERT_TRUE(listed()) << c.what;
        EXPECT_EQ(view.items().size(), 3) << c.what;
        EXPECT_FALSE(button("retryButton")->isVisible() || button("enterCodeButton")->isVisible()) << c.what;
        if (refused) {
            EXPECT_EQ(RemoteSharing_List().value(0).password, "Secret42") << "a code that works is kept";
        }
    }
}

TEST_F(RemoteFixture, UnderChineseAFullHostIsToldInTheSameWordsAndAGoneOneInChinese)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    RemoteSharing stored = host();
    ASSERT_TRUE(RemoteSharing_Add(stored));
    bridge.peerSessions = bridge.peerLimit;
    ViewSharingRemoteFileList &full = openBrowser(stored);
    ASSERT_TRUE(waitFor([&] { return full.isHostInvalid(); }));
    EXPECT_EQ(full.hostStateText(), "Max Connection Limits Reached!");
    bridge.peerSessions = 0;
    bridge.connect = ScriptedRemoteBridge::Connect::Fails;
    ViewSharingRemoteFileList &gone = openBrowser(stored);
    ASSERT_TRUE(waitFor([&] { return gone.isHostInvalid(); }));
    EXPECT_EQ(gone.hostStateText(), localizedString(QStringLiteral("RS_Host_NotAvialableAndCheck")));
    EXPECT_NE(gone.hostStateText(), english("RS_Host_NotAvialableAndCheck"));
}

TEST_F(RemoteFixture, TheShareIsCheckedEverySecondAndAChangedOrSilentOneIsGone)
{
    ViewSharingRemoteFileList &view = openConnected();
    elapse(1000);
    ASSERT_TRUE(waitFor([&] { return sent("CheckHost") == 1; }));
    EXPECT_EQ(last("CheckHost"), (Json{{"tag", "Pics"}}));
    ASSERT_TRUE(answered("CheckHost"));
    EXPECT_TRUE(view.isConnected());
    // The share made anew under the same tag is not the share the user opened.
    bridge.ctime = "2025-05-05 05:05:05";
    elapse(1000);
    ASSERT_TRUE(waitFor([&] { return view.isHostInvalid(); }));
    EXPECT_EQ(view.hostStateText(), english("RS_Host_NotAvialableAndCheck"));

    // One check at a time; ten seconds without its answer and the host is gone.
    view.ConnectRemoteHost();
    ASSERT_TRUE(listed());
    bridge.holdCodes.insert("CheckHost");
    const int checks = sent("CheckHost");
    elapse(1000);
    ASSERT_TRUE(waitFor([&] { return sent("CheckHost") == checks + 1; }));
    elapse(9'999);
    EXPECT_TRUE(view.isConnected());
    ASSERT_TRUE(bridge.caughtUp());
    EXPECT_EQ(sent("CheckHost"), checks + 1);
    elapse(1);
    EXPECT_TRUE(view.isHostInvalid());
}

TEST_F(RemoteFixture, PagesOfFiftyThroughTheButtons)
{
    folder("/srv/pics") = entries(120, "f", "txt");
    openConnected();
    struct Step {
        const char *press;
        int page;
        const char *text, *first;
        int rows;
        bool previous, next;
        // Where the keyboard is once the page is listed: on the button pressed while it is on,
        // else on the list.
        const char *focus;
    };
    for (const Step &step :
         {Step{nullptr, 1, "Page 1 of 3 · items 1–50 of 120", "f001.txt", 50, false, true, nullptr},
          Step{"nextButton", 2, "Page 2 of 3 · items 51–100 of 120", "f051.txt", 50, true, true, "nextButton"},
          Step{"nextButton", 3, "Page 3 of 3 · items 101–120 of 120", "f101.txt", 20, true, false, "list"},
          Step{"previousButton", 2, "Page 2 of 3 · items 51–100 of 120", "f051.txt", 50, true, true, "previousButton"}}) {
        if (step.press) {
            button(step.press)->setFocus();
            QTest::keyClick(button(step.press), Qt::Key_Space);
            ASSERT_TRUE(listed()) << step.text;
            QWidget *focus = QString(step.focus) == "list" ? static_cast<QWidget *>(browser->table()) : button(step.focus);
            EXPECT_EQ(browser->focusWidget(), focus) << step.text;
        }
        EXPECT_EQ(last("getFileList")["iPageIndex"], step.page);
        EXPECT_EQ(browser->pageText(), QString::fromUtf8(step.text));
        ASSERT_EQ(browser->items().size(), step.rows) << step.text;
        EXPECT_EQ(browser->items().first().name, step.first);
        EXPECT_EQ(button("previousButton")->isEnabled(), step.previous) << step.text;
        EXPECT_EQ(button("nextButton")->isEnabled(), step.next) << step.text;
    }

    folder("/srv/pics").clear();
    browser->refresh();
    ASSERT_TRUE(listed());
    EXPECT_EQ(browser->listMessage(), english("RS_EmptyFolder"));
    EXPECT_TRUE(browser->pageText().isEmpty());
}

TEST_F(RemoteFixture, AFolderThatShrankBetweenTheCountAndThePageShowsItsNewLastPage)
{
    folder("/srv/pics") = entries(120, "f", "txt");
    openConnected();
    ASSERT_TRUE(browser->goToPage(3) && listed());
    ASSERT_EQ(browser->items().size(), 20);

    // The count still says 120; forty entries go before the third page is asked for.
    bridge.holdPages = true;
    const int lists = sent("getFileList");
    browser->refresh();
    ASSERT_TRUE(waitFor([&] { return sent("getFileList") == lists + 2; }));
    EXPECT_EQ(last("getFileList")["iPageIndex"], 3);
    folder("/srv/pics").resize(80);
    bridge.holdPages = false;
    bridge.release("getFileList");
    ASSERT_TRUE(waitFor([&] { return !browser->isLoading() && !browser->items().isEmpty(); }));
    EXPECT_EQ(last("getFileList")["iPageIndex"], 2) << "the new last page is asked for";
    EXPECT_EQ(browser->paging().pageIndex(), 2);
    EXPECT_EQ(browser->paging().total(), 80);
    ASSERT_EQ(browser->items().size(), 30);
    EXPECT_EQ(browser->items().first().name, "f051.txt");
    EXPECT_EQ(browser->pageText(), "Page 2 of 2 · items 51–80 of 80");
    EXPECT_FALSE(button("nextButton")->isEnabled());
}

TEST_F(RemoteFixture, FoldersOpenedAndLeftAndALostServiceComeBackToTheirPages)
{
    folder("/srv/pics") = entries(60, "dir", "");
    folder("/srv/pics/dir055") = entries(120, "f", "txt");
    ViewSharingRemoteFileList &view = openConnected();
    EXPECT_FALSE(button("upButton")->isEnabled()) << "nothing above the share's root";
    ASSERT_TRUE(view.goToPage(2) && listed());
    view.table()->selectRows({4});
    QTest::keyClick(view.table(), Qt::Key_Return);
    ASSERT_TRUE(listed());
    EXPECT_EQ(last("getFileList")["dir"], "/srv/pics/dir055");
    EXPECT_EQ(view.paging().pageIndex(), 1);
    EXPECT_TRUE(button("upButton")->isEnabled());
    ASSERT_TRUE(view.goToPage(2) && listed());
    const int lists = sent("getFileList");
    view.openFolder(0);
    ASSERT_TRUE(bridge.caughtUp());
    EXPECT_EQ(sent("getFileList"), lists) << "a file is not opened";

    // The bridge goes, and its link with it: neither the host nor its share is blamed. Next, which
    // had the keyboard, goes off with the other controls; the browser keeps the keyboard meanwhile.
    button("nextButton")->setFocus();
    const int inits = sent("ClientInit");
    Env::restartBridgeBlock();
    Env::cancelPendingRelaunch();
    EXPECT_TRUE(view.isWaitingForService());
    EXPECT_EQ(view.listMessage(), english("RS_ServiceRestoring"));
    EXPECT_FALSE(button("nextButton")->isEnabled());
    EXPECT_EQ(view.focusWidget(), &view);
    // A new link not signed in yet changes nothing; signed in, the browser connects by itself, in
    // the folder and on the page it was on.
    ASSERT_TRUE(bridge.connectClient());
    ASSERT_TRUE(bridge.caughtUp());
    EXPECT_EQ(sent("ClientInit"), inits);
    LinkStatus::noteSignedIn();
    ASSERT_TRUE(listed()) << view.hostStateText().toStdString();
    EXPECT_EQ(sent("ClientInit"), inits + 1);
    EXPECT_EQ(view.folder().current(), "/srv/pics/dir055");
    EXPECT_EQ(view.items().first().name, "f051.txt");
    EXPECT_EQ(view.focusWidget(), button("nextButton")) << "the keyboard is back where it was";

    // Up goes back to the page the folder was opened from, and no further than the root.
    button("upButton")->click();
    ASSERT_TRUE(listed());
    EXPECT_TRUE(view.folder().isAtRoot());
    EXPECT_EQ(view.paging().pageIndex(), 2);
    EXPECT_EQ(view.items().at(4).name, "dir055");
    EXPECT_FALSE(button("upButton")->isEnabled());
    const int atRoot = sent("getFileList");
    view.goUp();
    ASSERT_TRUE(bridge.caughtUp());
    EXPECT_EQ(sent("getFileList"), atRoot);
}

TEST_F(RemoteFixture, AListingWithoutAnAnswerOffersToTryAgainAndItsLatePageChangesNothing)
{
    ViewSharingRemoteFileList &view = openConnected();
    // A listing unanswered for fifteen seconds offers to try again; its page, come later, is ignored.
    bridge.holdPages = true;
    const int lists = sent("getFileList");
    view.refresh();
    ASSERT_TRUE(waitFor([&] { return sent("getFileList") == lists + 2; }));
    elapse(14'999);
    EXPECT_TRUE(view.isLoading());
    elapse(1);
    EXPECT_EQ(view.listMessage(), english("RS_ListNoAnswer"));
    bridge.release("getFileList");
    ASSERT_TRUE(answered("getFileList"));
    EXPECT_EQ(view.listMessage(), english("RS_ListNoAnswer"));
    bridge.holdPages = false;
    ASSERT_TRUE(button("retryButton")->isVisible());
    button("retryButton")->click();
    ASSERT_TRUE(listed());
    EXPECT_EQ(view.items().size(), 3);
}

TEST_F(RemoteFixture, AShareOfOneFileShowsThatFileAlone)
{
    bridge.share =
        Json{{"tag", "Pics"}, {"path", "/srv/pics/Scan.PNG"}, {"isdir", 0}, {"isenabled", 1}, {"isupload", 1}};
    folder("/srv/pics") = {{"Scan.PNG", false, 1352}};
    bridge.holdCodes = {"fileDownloadCheck"};
    ViewSharingRemoteFileList &view = openConnected();
    EXPECT_EQ(names(view), QStringList("Scan.PNG"));
    ASSERT_TRUE(bridge.caughtUp());
    EXPECT_EQ(sent("getFileList"), 0);
    const auto shown = [&](int column) { return view.table()->topLevelItem(0)->text(column).toStdString(); };
    // Its size is asked for; until it comes the row shows none, and never a time.
    ASSERT_TRUE(waitFor([&] { return sent("fileDownloadCheck") == 1; }));
    EXPECT_EQ(last("fileDownloadCheck"), (Json{{"path", "/srv/pics/Scan.PNG"}}));
    // A picture whatever the case of its extension: its thumbnail is asked for.
    ASSERT_TRUE(waitFor([&] { return view.table()->hasThumbnail(0); }));
    EXPECT_EQ(last("buildIcon2"), (Json{{"size", 48}, {"fileList", {"/srv/pics/Scan.PNG|0|1|-1"}}}));
    EXPECT_EQ(shown(1), "");
    bridge.release("fileDownloadCheck");
    ASSERT_TRUE(waitFor([&] { return shown(1) == "1.32 KB"; })) << shown(1);
    EXPECT_EQ(shown(2), "");
    EXPECT_TRUE(view.table()->hasThumbnail(0)) << "the row keeps its thumbnail";
    view.openUpload();
    EXPECT_EQ(view.uploadSheet(), nullptr) << "nothing can be put into a file";

    // An empty file shows a size too, and a whole number in a text is read as one. A size the
    // peer leaves out or makes up (below zero, no number, a fraction, beyond any disk), or a path
    // it says is no file, leaves the size unknown. The thumbnail is answered after the size, so
    // once it shows the answer has been read.
    bridge.holdCodes = {"fileDownloadCheck", "buildIcon2"};
    const auto checkAnswer = [](const Json &size, int valid) {
        Json data{{"path", "/srv/pics/Scan.PNG"}, {"valid", valid}};
        if (!size.is_null())
            data["size"] = size;
        return data;
    };
    for (const auto &[data, wanted] : {std::pair<Json, QString>{checkAnswer(0, 1), "0.00 bytes"},
                                       {checkAnswer("1352", 1), "1.32 KB"},
                                       {checkAnswer(Json(), 1), ""},
                                       {checkAnswer(-1352, 1), ""},
                                       {checkAnswer("many", 1), ""},
                                       {checkAnswer(1352.7, 1), ""},
                                       {checkAnswer(1e30, 1), ""},
                                       {checkAnswer(1352, 0), ""}}) {
        bridge.requests.clear();
        openConnected();
        ASSERT_TRUE(waitFor([&] { return sent("fileDownloadCheck") == 1 && sent("buildIcon2") == 1; }));
        bridge.answer(bridge.withCode("fileDownloadCheck").last(), Json{{"data", data}});
        bridge.release("buildIcon2");
        ASSERT_TRUE(waitFor([&] { return browser->table()->hasThumbnail(0); })) << data.dump();
        EXPECT_EQ(browser->table()->topLevelItem(0)->text(1), wanted) << data.dump();
    }
    // Nor does a peer that never answers.
    bridge.requests.clear();
    openConnected();
    ASSERT_TRUE(waitFor([&] { return sent("fileDownloadCheck") == 1; }));
    clock->advanceMs(P2PClientMsg::remoteTimeoutMs + 1);
    P2PClientMsg::taskTable().expireDue();
    EXPECT_EQ(browser->table()->topLevelItem(0)->text(1), "");
}
