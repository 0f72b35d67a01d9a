// Pictures of the remote hosts pages for a person to look at: the host list, the browser on a
// folder of pictures, and a download under way. Each check only makes sure the picture was written
// and shows what it should.

#include "remote_test_support.h"

#include "remote_file_table.h"
#include "ui_test_support.h"
#include "view_sharing_remote.h"
#include "view_sharing_remote_download.h"

#include <QImage>
#include <QProgressBar>
#include <QSet>

using namespace RemoteTest;

namespace {

void expectPicture(const QString &path, const QSize &size)
{
    ASSERT_FALSE(path.isEmpty());
    const QImage image(path);
    ASSERT_FALSE(image.isNull()) << path.toStdString();
    EXPECT_EQ(image.size(), size);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 20) << path.toStdString();
}

} // namespace

TEST_F(RemoteFixture, ScreenshotOfTheHostList)
{
    for (const RemoteSharing &sample : {host(QStringLiteral("studio"), QStringLiteral("Photos"), QStringLiteral("7H3K"),
                                             QStringLiteral("Studio desktop")),
                                        host(QStringLiteral("patlaptop"), QString(), QString(), QStringLiteral("Pat's laptop")),
                                        host(QStringLiteral("office-nas"), QStringLiteral("Projects"), QString())}) {
        RemoteSharing stored = sample;
        ASSERT_TRUE(RemoteSharing_Add(stored));
    }
    ViewSharingRemote page;
    page.resize(760, 440);
    page.show();
    page.reload();
    spin(50);
    expectPicture(UiTest::saveScreenshot(page, QStringLiteral("remote_host_list")), QSize(760, 440));
}

TEST_F(RemoteFixture, ScreenshotOfTheBrowserOnAFolderOfPictures)
{
    const QString folder = QStringLiteral("/srv/pics/Holiday 2024");
    bridge.folders[QStringLiteral("/srv/pics")] = {{QStringLiteral("Holiday 2024"), true, 0}};
    bridge.folders[folder] = {{QStringLiteral("Day trips"), true, 0},
                              {QStringLiteral("beach.jpg"), false, 2'481'152},
                              {QStringLiteral("clip-harbour.mp4"), false, 48'310'272},
                              {QStringLiteral("family.png"), false, 1'310'720},
                              {QStringLiteral("lighthouse.jpg"), false, 3'145'728},
                              {QStringLiteral("map.bmp"), false, 786'432},
                              {QStringLiteral("packing list.txt"), false, 2'048},
                              {QStringLiteral("sunset.jpg"), false, 2'883'584}};
    ViewSharingRemoteFileList &view = openConnected(host(QStringLiteral("studio"), QStringLiteral("Photos"),
                                                         QStringLiteral("7H3K"), QStringLiteral("Studio desktop")));
    view.openFolder(0);
    ASSERT_TRUE(waitFor([&] { return !view.isLoading() && view.items().size() == 8; }));
    ASSERT_TRUE(waitFor([&] { return view.table()->hasThumbnail(7); }));
    view.table()->selectRows({3});
    spin(50);
    expectPicture(UiTest::saveScreenshot(view, QStringLiteral("remote_browser_pictures")), QSize(760, 520));
}

TEST_F(RemoteFixture, ScreenshotOfADownloadUnderWay)
{
    bridge.statuses = {ScriptedRemoteBridge::status(2, 45 * 1024 * 1024, 100 * 1024 * 1024, 1, 3)};
    openConnected();
    ViewSharingRemoteDownload sheet({QStringLiteral("/srv/pics/beach.jpg"), QStringLiteral("/srv/pics/big.bin"),
                                     QStringLiteral("/srv/pics/Day trips")},
                                    browser.get());
    sheet.show();
    sheet.startTransfer();
    ASSERT_TRUE(waitFor([&] { return sheet.status() == RemoteSharingDownloadStatus::dsRunning; }));
    sheet.onTimerTick();
    ASSERT_TRUE(waitFor([&] { return sheet.percent() == 45; }));
    spin(50);
    EXPECT_EQ(sheet.findChild<QProgressBar *>()->value(), 45);
    expectPicture(UiTest::saveScreenshot(sheet, QStringLiteral("remote_download_progress")), sheet.size());
}
