// The download and upload sheets against the scripted bridge: what they ask of it, the progress
// they show, and how each transfer ends.

#include "remote_test_support.h"

#include "bridge_supervisor.h"
#include "clock.h"
#include "control_requests.h"
#include "download_folder.h"
#include "file_dialog_panels.h"
#include "test_home.h"
#include "url_catcher.h"
#include "util_db.h"
#include "util_system.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_upload.h"
#include "working_items.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace RemoteTest;
using Status = RemoteSharingDownloadStatus;

namespace {

class TransferSheets : public RemoteFixture
{
protected:
    void SetUp() override
    {
        RemoteFixture::SetUp();
        openConnected();
    }
    void TearDown() override
    {
        FileDialogPanels::clearNextAnswer();
        RemoteFixture::TearDown();
    }

    std::unique_ptr<ViewSharingRemoteDownload> download(const QStringList &targets)
    {
        auto sheet = std::make_unique<ViewSharingRemoteDownload>(targets, browser.get());
        sheet->show();
        return sheet;
    }

    // One status request answered, as the sheet's tick sends it.
    void poll(RemoteTransferSheet &sheet)
    {
        const int before = bridge.count(QStringLiteral("Trans3_FC_TransTaskInfo"))
                           + bridge.count(QStringLiteral("RemoteUploadTaskInfo"));
        sheet.onTimerTick();
        waitFor([&] {
            return bridge.count(QStringLiteral("Trans3_FC_TransTaskInfo")) + bridge.count(QStringLiteral("RemoteUploadTaskInfo"))
                   > before;
        });
        spin(30);
    }

    static QString statusLine(const RemoteTransferSheet &sheet)
    {
        return sheet.findChild<QLabel *>(QStringLiteral("transferStatus"))->text();
    }
};

} // namespace

TEST_F(TransferSheets, ADownloadRunsToOneHundredIntoTheDownloadFolder)
{
    bridge.statuses = {ScriptedRemoteBridge::status(2, 400, 1000, 0, 2), ScriptedRemoteBridge::status(3, 1000, 1000, 2, 2)};
    auto sheet = download({QStringLiteral("/srv/pics/a.png"), QStringLiteral("/srv/pics/docs")});
    const QString folder = DownloadFolder::defaultFolder();
    EXPECT_EQ(sheet->saveFolder(), folder);
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("SaveAtDir")), folder) << "the default is stored back";
    EXPECT_EQ(sheet->status(), Status::dsPreparing);
    EXPECT_EQ(statusLine(*sheet), english("RS_ItemsChosen").arg(2));

    sheet->findChild<QPushButton *>(QStringLiteral("startButton"))->click();
    ASSERT_TRUE(waitFor([&] { return sheet->status() == Status::dsRunning; }));
    const Json start = bridge.withCode(QStringLiteral("Trans3_FC_00_CallStart")).first().data;
    EXPECT_EQ(start["Session"], "CLIENT-A|CLIENT-B");
    EXPECT_EQ(start["Targets"], "/srv/pics/a.png|/srv/pics/docs");
    EXPECT_EQ(start["SaveAtLocalFolder"], folder.toStdString());

    poll(*sheet);
    EXPECT_EQ(bridge.withCode(QStringLiteral("Trans3_FC_TransTaskInfo")).first().data,
              (Json{{"Session", "CLIENT-A|CLIENT-B"}}));
    EXPECT_EQ(sheet->percent(), 40);
    EXPECT_EQ(sheet->findChild<QProgressBar *>()->value(), 40);
    EXPECT_EQ(statusLine(*sheet), QStringLiteral("0 of 2 files · big.bin"));
    EXPECT_FALSE(sheet->findChild<QPushButton *>(QStringLiteral("closeSheetButton"))->isVisible());

    poll(*sheet);
    EXPECT_EQ(sheet->status(), Status::dsFinished);
    EXPECT_EQ(sheet->findChild<QProgressBar *>()->value(), 100);
    EXPECT_EQ(statusLine(*sheet), english("RS_DownloadDone"));
    EXPECT_TRUE(sheet->findChild<QPushButton *>(QStringLiteral("closeSheetButton"))->isVisible());
    // A finished download offers its folder.
    UrlCatcher urls;
    QPushButton *open = sheet->findChild<QPushButton *>(QStringLiteral("openFolderButton"));
    ASSERT_TRUE(open && open->isVisible());
    open->click();
    EXPECT_EQ(urls.opened, QList<QUrl>({QUrl::fromLocalFile(folder + QStringLiteral("/"))}));
}

TEST_F(TransferSheets, ProgressShowsTheBytesAndTheRateBesideThePercentage)
{
    bridge.statuses = {ScriptedRemoteBridge::status(2, 1'000'000, 10'000'000), ScriptedRemoteBridge::status(2, 3'000'000, 10'000'000),
                       ScriptedRemoteBridge::status(3, 10'000'000, 10'000'000)};
    auto sheet = download({QStringLiteral("/srv/pics/big.bin")});
    EXPECT_TRUE(sheet->findChild<QPushButton *>(QStringLiteral("startButton"))->isDefault()) << "Return starts";
    sheet->startTransfer();
    ASSERT_TRUE(waitFor([&] { return sheet->status() == Status::dsRunning; }));
    const auto bar = [&] { return sheet->findChild<QProgressBar *>()->text(); };
    const auto size = [](qint64 bytes) { return UtilSystem::formatFileSize(std::uint64_t(bytes)); };
    poll(*sheet);
    EXPECT_EQ(bar(), QStringLiteral("10% · %1 of %2").arg(size(1'000'000), size(10'000'000)));
    // 2 MB more two seconds later: 1 MB a second.
    clock->advanceMs(2000);
    poll(*sheet);
    EXPECT_EQ(bar(), QStringLiteral("30% · %1 of %2 · %3/s").arg(size(3'000'000), size(10'000'000), size(1'000'000)));
    poll(*sheet);
    EXPECT_EQ(bar(), QStringLiteral("100% · %1 of %1").arg(size(10'000'000)));
}

TEST_F(TransferSheets, ADownloadSaysWhichNamesWereTakenAndWhatACancelLeft)
{
    const QString folder = DownloadFolder::defaultFolder();
    QDir().mkpath(folder);
    const auto put = [&](const QString &name) {
        QFile file(folder + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    put(QStringLiteral("report.txt"));
    put(QStringLiteral("report (1).txt"));

    // Finished: the taken name is said, the free one is not.
    bridge.statuses = {ScriptedRemoteBridge::status(3, 10, 10, 2, 2)};
    auto sheet = download({QStringLiteral("/srv/pics/report.txt"), QStringLiteral("/srv/pics/notes.txt")});
    sheet->startTransfer();
    ASSERT_TRUE(waitFor([&] { return sheet->status() == Status::dsRunning; }));
    put(QStringLiteral("report (2).txt"));
    put(QStringLiteral("notes.txt"));
    poll(*sheet);
    ASSERT_EQ(sheet->status(), Status::dsFinished);
    EXPECT_EQ(statusLine(*sheet), english("RS_DownloadDone") + u'\n'
                                      + english("RS_SavedAs").arg(QStringLiteral("report.txt"), QStringLiteral("report (2).txt")));

    // Cancelled: what had already arrived is named.
    bridge.statuses = {ScriptedRemoteBridge::status(2, 5, 10, 1, 2), ScriptedRemoteBridge::status(5, 5, 10, 1, 2)};
    auto second = download({QStringLiteral("/srv/pics/a.png"), QStringLiteral("/srv/pics/big.bin")});
    second->startTransfer();
    ASSERT_TRUE(waitFor([&] { return second->status() == Status::dsRunning; }));
    put(QStringLiteral("a.png"));
    poll(*second);
    second->cancelTransfer();
    poll(*second);
    ASSERT_EQ(second->status(), Status::dsCanceled);
    EXPECT_EQ(statusLine(*second), english("RS_TransferCanceled") + u'\n' + english("RS_AlreadySaved").arg(QStringLiteral("a.png")));
    EXPECT_FALSE(second->findChild<QPushButton *>(QStringLiteral("openFolderButton"))->isVisible());
}

TEST_F(TransferSheets, TheChosenFolderIsStoredAndUsed)
{
    const QString chosen = TestHome::path() + QStringLiteral("/Elsewhere");
    QDir().mkpath(chosen);
    auto sheet = download({QStringLiteral("/srv/pics/a.png")});
    FileDialogPanels::setNextAnswer({chosen});
    sheet->findChild<QPushButton *>(QStringLiteral("changeFolderButton"))->click();
    ASSERT_TRUE(waitFor([&] { return sheet->saveFolder() == chosen; }));
    EXPECT_EQ(UtilDB::getIcon(QStringLiteral("SaveAtDir")), chosen);

    auto again = download({QStringLiteral("/srv/pics/a.png")});
    EXPECT_EQ(again->saveFolder(), chosen);
    again->startTransfer();
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("Trans3_FC_00_CallStart")) == 1; }));
    EXPECT_EQ(bridge.withCode(QStringLiteral("Trans3_FC_00_CallStart")).first().data["SaveAtLocalFolder"],
              chosen.toStdString());
}

TEST_F(TransferSheets, ARefusedStartSaysWhy)
{
    bridge.startAnswer = Json{{"Result", 0}, {"Info", "Cannot write into the folder /x"}};
    auto sheet = download({QStringLiteral("/srv/pics/a.png")});
    sheet->startTransfer();
    ASSERT_TRUE(waitFor([&] { return sheet->status() == Status::dsFailed; }));
    EXPECT_EQ(statusLine(*sheet), english("RS_TransferRefused") + QStringLiteral(" Cannot write into the folder /x"));
    EXPECT_EQ(bridge.count(QStringLiteral("Trans3_FC_TransTaskInfo")), 0);
}

TEST_F(TransferSheets, CancelAsksTheBridgeAndEndsCancelled)
{
    bridge.statuses = {ScriptedRemoteBridge::status(2, 100, 1000), ScriptedRemoteBridge::status(5, 300, 1000)};
    auto sheet = download({QStringLiteral("/srv/pics/big.bin")});
    sheet->startTransfer();
    ASSERT_TRUE(waitFor([&] { return sheet->status() == Status::dsRunning; }));
    poll(*sheet);
    sheet->findChild<QPushButton *>(QStringLiteral("cancelTransferButton"))->click();
    EXPECT_EQ(sheet->status(), Status::dsCancelling);
    EXPECT_EQ(statusLine(*sheet), english("RS_Cancelling"));
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("Trans3_FC_00_Cancel")) == 1; }));
    EXPECT_EQ(bridge.withCode(QStringLiteral("Trans3_FC_00_Cancel")).first().data, (Json{{"Session", "CLIENT-A|CLIENT-B"}}));

    poll(*sheet);
    EXPECT_EQ(sheet->status(), Status::dsCanceled);
    EXPECT_EQ(statusLine(*sheet), english("RS_TransferCanceled") + u'\n' + english("RS_NothingSaved"));
}

TEST_F(TransferSheets, ABridgeThatStopsAnsweringEndsTheDownload)
{
    bridge.holdCodes.insert(QStringLiteral("Trans3_FC_TransTaskInfo"));
    auto sheet = download({QStringLiteral("/srv/pics/a.png")});
    sheet->startTransfer();
    ASSERT_TRUE(waitFor([&] { return sheet->status() == Status::dsRunning; }));
    sheet->reject();
    EXPECT_TRUE(sheet->isVisible()) << "a running download is not closed";

    for (int i = 0; i < TransferTracker::maxMissedAnswers; ++i) {
        sheet->onTimerTick();
        clock->advanceMs(RemoteTransferSheet::statusTimeoutMs);
    }
    sheet->onTimerTick();
    EXPECT_EQ(sheet->status(), Status::dsFailed);
    EXPECT_EQ(statusLine(*sheet), english("RS_TransferNoAnswer"));
    spin(100);
    EXPECT_EQ(bridge.count(QStringLiteral("Trans3_FC_TransTaskInfo")), TransferTracker::maxMissedAnswers)
        << "never two status requests at once";
    sheet->reject();
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(TransferSheets, TransfersCutOffByTheLostServiceSaySo)
{
    bridge.statuses = {ScriptedRemoteBridge::status(2, 400, 1000, 0, 2)};
    auto downloadSheet = download({QStringLiteral("/srv/pics/a.png")});
    downloadSheet->startTransfer();
    ASSERT_TRUE(waitFor([&] { return downloadSheet->status() == Status::dsRunning; }));
    poll(*downloadSheet);
    ASSERT_EQ(downloadSheet->status(), Status::dsRunning);

    // The bridge that ran it goes: the sheet says so at once, without waiting for missed answers.
    Env::restartBridgeBlock();
    Env::cancelPendingRelaunch();
    EXPECT_EQ(downloadSheet->status(), Status::dsFailed);
    EXPECT_EQ(statusLine(*downloadSheet), english("RS_TransferLinkLost"));
    downloadSheet->reject();
    EXPECT_FALSE(downloadSheet->isVisible());

    // One started while the link is down says the same.
    auto later = download({QStringLiteral("/srv/pics/a.png")});
    later->startTransfer();
    ASSERT_TRUE(waitFor([&] { return later->status() == Status::dsFailed; }));
    EXPECT_EQ(statusLine(*later), english("RS_TransferLinkLost"));
}

TEST_F(TransferSheets, AnUploadSendsTheChosenItemsIntoTheFolderShown)
{
    const QString home = TestHome::path();
    ContactsTest::writeFile(home + QStringLiteral("/up/one.txt"), 300);
    ContactsTest::writeFile(home + QStringLiteral("/up/album/two.jpg"), 700);
    bridge.statuses = {ScriptedRemoteBridge::status(2, 500, 1000, 1, 2), ScriptedRemoteBridge::status(3, 1000, 1000, 2, 2)};
    const int listsBefore = bridge.count(QStringLiteral("getFileList"));

    browser->openUpload();
    ViewSharingRemoteUpload *sheet = browser->uploadSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(statusLine(*sheet), english("RS_AddToUpload"));
    EXPECT_FALSE(sheet->findChild<QPushButton *>(QStringLiteral("startButton"))->isEnabled());
    FileDialogPanels::setNextAnswer({home + QStringLiteral("/up/one.txt")});
    sheet->findChild<QPushButton *>(QStringLiteral("addFilesButton"))->click();
    FileDialogPanels::setNextAnswer({home + QStringLiteral("/up/album")});
    sheet->findChild<QPushButton *>(QStringLiteral("addFolderButton"))->click();
    ASSERT_TRUE(waitFor([&] { return sheet->localPaths().size() == 2 && !sheet->isCounting(); }));
    EXPECT_EQ(statusLine(*sheet), english("RS_ItemsChosen").arg(2) + QStringLiteral(" · 1000.00 bytes"));

    sheet->findChild<QPushButton *>(QStringLiteral("startButton"))->click();
    ASSERT_TRUE(waitFor([&] { return sheet->status() == Status::dsRunning; }));
    const Json start = bridge.withCode(QStringLiteral("Trans2_FS_00_CallStart")).first().data;
    EXPECT_EQ(start["Targets"], (home + QStringLiteral("/up/one.txt|") + home + QStringLiteral("/up/album")).toStdString());
    EXPECT_EQ(start["RemotePathRoot"], "/srv/pics");
    EXPECT_EQ(start["Session"], "CLIENT-A|CLIENT-B");

    poll(*sheet);
    const auto asked = bridge.withCode(QStringLiteral("RemoteUploadTaskInfo"));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first().data, (Json{{"Session", "CLIENT-A|CLIENT-B"}, {"IsProcessOnBridge", "YES"}}));
    EXPECT_EQ(sheet->percent(), 50);
    poll(*sheet);
    EXPECT_EQ(sheet->status(), Status::dsFinished);
    EXPECT_EQ(statusLine(*sheet), english("RS_UploadDone").arg(QStringLiteral("/")));
    ASSERT_TRUE(waitFor([&] { return bridge.count(QStringLiteral("getFileList")) >= listsBefore + 2; }))
        << "the browser lists the folder again";
}

TEST_F(TransferSheets, StartRemoteUploadCarriesTheSessionAndItsItems)
{
    bool answered = false;
    HelperRemoteSharing::sendStartRemoteUpload({WorkingItem{5, false, QStringLiteral("/a/x.txt"), QStringLiteral("Z:\\x.txt")}},
                                               [&](const std::optional<LenientJson> &answer) { answered = answer.has_value(); });
    ASSERT_TRUE(waitFor([&] { return answered; }));
    EXPECT_EQ(bridge.withCode(QStringLiteral("StartRemoteUpload")).first().data,
              (Json{{"Session", "CLIENT-A|CLIENT-B"},
                    {"ClientID1", "CLIENT-A"},
                    {"ClientID2", "CLIENT-B"},
                    {"FileList", {{{"Size", 5}, {"IsDir", false}, {"Path", "/a/x.txt"}, {"PathSave", "Z:\\x.txt"}}}}}));
}
