#pragma once

// Shared by the shell's tests: a fixture with a fresh bridge layer, a manual clock, the database
// in the test's own home and the English interface; a small HTTP server that plays the account
// API; screenshots. The fake bridge, waiting and output capture come from tests/support.

#include "captured_output.h"
#include "clock.h"
#include "fake_bridge_server.h"
#include "qstring_print.h"
#include "test_wait.h"
#include "user_info.h"

#include <gtest/gtest.h>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>

#include <memory>

class MainView;
class QWidget;

// Plays the account API over plain HTTP: answers every GET with body after the request has
// waited until released (when holdReplies is set). Records the request targets.
class TestHttpServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TestHttpServer)

public:
    TestHttpServer();
    QString baseUrl() const;

    QStringList targets;
    QByteArray body = R"({"Result":"1","Info":"host"})";
    int status = 200;
    bool holdReplies = false;
    // Answers the requests held so far.
    void releaseHeld();

private:
    void reply(QTcpSocket *socket);

    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_held;
};

class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The main window, shown, with its login sheet open.
    MainView &showMainView();
    // Runs the window's timer slot times times, the clock a second later each time.
    void tickMain(int times = 1);
    // Runs the login sheet's timer slot.
    void tickLogin(int times = 1);
    // Ticks the window until the link reaches bridge, which from then on answers pings as a
    // running bridge does.
    bool connectTo(FakeBridgeServer &bridge);
    // Ends the login sheet the way a successful login does, so that the navigation shows.
    void finishLogin(UserInfo record = testAccount());
    static UserInfo testAccount();

    std::shared_ptr<ManualClock> clock;
    std::unique_ptr<MainView> window;
};

// Saves widget's picture as <build>/screenshots/<name>.png; the file's path, or "" on failure.
QString saveScreenshot(QWidget &widget, const QString &name);
