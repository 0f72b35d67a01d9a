#include "remote_test_support.h"

#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "clock.h"
#include "env.h"
#include "file_dialog_panels.h"
#include "localization.h"
#include "ui_test_support.h"

#include <QAbstractButton>
#include <QCoreApplication>

namespace RemoteTest {

RemoteSharing host(const QString &hostname, const QString &tag, const QString &password, const QString &alias)
{
    RemoteSharing result;
    result.hostid = QStringLiteral("HOST-") + hostname;
    result.hostname = hostname;
    result.hosttag = tag;
    result.password = password;
    result.aliasname = alias;
    return result;
}

QList<ScriptedRemoteBridge::Entry> entries(int count, const QString &prefix, const QString &ext)
{
    QList<ScriptedRemoteBridge::Entry> list;
    for (int i = 1; i <= count; ++i) {
        const QString number = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        list.append(
            {prefix + number + (ext.isEmpty() ? QString() : u'.' + ext), ext.isEmpty(), ext.isEmpty() ? 0 : 1000 * i});
    }
    return list;
}

QStringList names(const ViewSharingRemoteFileList &view)
{
    QStringList result;
    for (const FileItem &item : view.items())
        result << item.name;
    return result;
}

QString english(const char *key)
{
    return localizedString(QString::fromLatin1(key), QLocale(QLocale::English));
}

} // namespace RemoteTest

void RemoteFixture::SetUp()
{
    UiTest::useEnglishLook();
    registerFileDialogPanels();
    ContactsTest::resetAll();
    clock = std::make_shared<ManualClock>();
    Clock::set(clock);
    Env::userInfo.id_acc = 1;
    BridgeMessage::peerRequestHandler = &peer;
    ASSERT_TRUE(bridge.connectClient());
    bridge.folders[QStringLiteral("/srv/pics")] =
        RemoteTest::entries(3, QStringLiteral("photo"), QStringLiteral("png"));
}

void RemoteFixture::TearDown()
{
    browser.reset();
    BridgeState::resetForTests();
    Clock::set(nullptr);
    QCoreApplication::processEvents();
}

ViewSharingRemoteFileList &RemoteFixture::openBrowser(const RemoteSharing &host)
{
    browser = std::make_unique<ViewSharingRemoteFileList>(host);
    browser->resize(760, 520);
    browser->show();
    // The test's manual clock and elapse() make the ticks.
    browser->tickTimer()->stop();
    browser->ConnectRemoteHost();
    return *browser;
}

ViewSharingRemoteFileList &RemoteFixture::openConnected(const RemoteSharing &host)
{
    ViewSharingRemoteFileList &view = openBrowser(host);
    EXPECT_TRUE(listed()) << view.hostStateText().toStdString();
    return view;
}

bool RemoteFixture::listed()
{
    return waitFor([&] { return browser->isConnected() && !browser->isLoading(); });
}

QAbstractButton *RemoteFixture::button(const char *name) const
{
    return browser->findChild<QAbstractButton *>(QString::fromLatin1(name));
}

void RemoteFixture::elapse(qint64 ms)
{
    clock->advanceMs(ms);
    if (browser)
        browser->onTimerTick();
}
