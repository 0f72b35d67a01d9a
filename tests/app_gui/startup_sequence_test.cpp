// The start-up sequence in the program's own process: its order, the database before the window,
// the bridge relaunch half a second later, and the window it ends with.

#include "app_gui_support.h"

#include "bridge_message.h"
#include "bridge_supervisor.h"
#include "env.h"
#include "fenmar_mac_app.h"
#include "login_view.h"
#include "main_view.h"
#include "test_home.h"
#include "util_db.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

class StartupSequence : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        // Start from an empty Documents folder.
        UtilDB::close();
        QDir(TestHome::path() + QStringLiteral("/Documents/Fenmar")).removeRecursively();
        bridgeFolder = TestHome::path() + QStringLiteral("/bridge");
        ASSERT_TRUE(QDir().mkpath(bridgeFolder));
        Env::setBridgeFolderForTests(bridgeFolder);
    }

    // A bridge that only waits, so that the relaunch has something to start.
    void placeBridge()
    {
        QFile script(bridgeFolder + u'/' + Env::bridgeExecutableName());
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nexec sleep 30\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    QString bridgeFolder;
};

TEST_F(StartupSequence, GreetingLocatingDatabaseThenBridgeRestartInThisOrder)
{
    const QString database = TestHome::path() + QStringLiteral("/Documents/Fenmar/db/fenmar.dat");
    CapturedOutput output;
    FenmarMacApp app;
    EXPECT_EQ(output.lines(), QStringList({"Welcome, Fenmar", "App Run At: " + QCoreApplication::applicationDirPath(),
                                           "Fenmar Local Cache @ " + database, "Clearing OstrelBridge...",
                                           "---ReCheck Instance false"}));
    // The database and its tables exist before any window.
    EXPECT_TRUE(QFile::exists(database));
    EXPECT_TRUE(UtilDB::isExist(QStringLiteral("select name from sqlite_master where name = 'localshare_ext'")));
    EXPECT_TRUE(Env::isRelaunchPending());
    EXPECT_EQ(Env::globalMainView, nullptr);
}

TEST_F(StartupSequence, PeersAreAnsweredFromTheShareStoreForTheWholeRun)
{
    {
        FenmarMacApp app;
        EXPECT_NE(Env::shareStore, nullptr);
        EXPECT_NE(BridgeMessage::peerRequestHandler, nullptr);
    }
    EXPECT_EQ(Env::shareStore, nullptr);
    EXPECT_EQ(BridgeMessage::peerRequestHandler, nullptr);
}

TEST_F(StartupSequence, BridgeStartsHalfASecondLaterAndTheWindowOpensWithItsSheet)
{
    placeBridge();
    FenmarMacApp app;
    window = app.body();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Env::globalMainView, window.get());
    EXPECT_TRUE(waitFor([this] { return window->loginSheet().isVisible(); }));

    clock->advanceMs(499);
    Env::runDueSupervision();
    EXPECT_EQ(Env::bridgeProcess(), nullptr);
    clock->advanceMs(1);
    Env::runDueSupervision();
    ASSERT_NE(Env::bridgeProcess(), nullptr);
    EXPECT_EQ(Env::bridgeProcess()->program(), bridgeFolder + u'/' + Env::bridgeExecutableName());
    EXPECT_EQ(Env::bridgeConnectCounter, 0);
    EXPECT_FALSE(Env::isBridgeConnected);
}

} // namespace
