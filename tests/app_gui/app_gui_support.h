#pragma once

// Shared by the shell's tests: a fixture with a fresh bridge layer, a manual clock, the database
// in the test's own home and the English interface, whose window can reach no bridge or account
// API the test did not start; a small HTTP server that plays the account API. The fake bridge,
// waiting and output capture come from tests/support.

#include "captured_output.h"
#include "clock.h"
#include "env.h"
#include "fake_bridge_server.h"
#include "localization.h"
#include "login_view.h"
#include "main_view.h"
#include "qstring_print.h"
#include "test_home.h"
#include "test_wait.h"
#include "util_db.h"
#include "widget_fit.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QPointer>
#include <QTcpServer>
#include <QTest>

#include <memory>

// Plays the account API over plain HTTP: answers every GET with status and body, or holds the
// requests until released while holdReplies is set. Records the request targets.
class TestHttpServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TestHttpServer)

public:
    TestHttpServer();
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1/api2/").arg(m_server.serverPort()); }
    // Answers the held requests, the oldest first: count of them, or all.
    void releaseHeld(qsizetype count = -1);

    QStringList targets;
    QByteArray body = R"({"Result":"1","Info":"host"})";
    int status = 200;
    bool holdReplies = false;

private:
    void reply(QTcpSocket *socket);

    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_held;
};

// A loopback port bound but not listening: every connection to it is refused, and while it is
// held no other process can take it.
class RefusingPort final
{
public:
    RefusingPort();
    ~RefusingPort();
    Q_DISABLE_COPY_MOVE(RefusingPort)
    quint16 port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The main window, shown, with its login sheet open; both timers stopped (the tests drive
    // them) and its link and host-name requests pointed at the refusing port. focused names the
    // control that has the keyboard when the sheet opens (a window manager's activation gives it
    // to the window's first control).
    MainView &showMainView(const char *focused = nullptr);
    void keepOffTheHost(MainView &view) const;
    // Runs the window's timer slot, the clock a second later each time.
    void tickMain(int times = 1);
    void tickLogin(int times = 1) { for (int i = 0; i < times; ++i) window->loginSheet().onTimerTick(); }
    // Ticks the window until the link reaches bridge, which from then on answers pings.
    bool connectTo(FakeBridgeServer &bridge);
    // Ends the login sheet the way a successful login does, so that the navigation shows.
    void finishLogin(UserInfo record = testAccount());
    static UserInfo testAccount();
    // Stores a share of the test account for a new folder under the test's home.
    static void storeShare(const QString &tag, const QString &name, bool isDefault = false);
    // Puts a bridge that only waits into a folder of the test's own, launched from there; its path.
    static QString placeWaitingBridge();
    // The "CallHttp" requests bridge received for an address containing path.
    static QList<Json> callsTo(const FakeBridgeServer &bridge, const char *path);
    // A row of the settings table.
    static QString icon(const char *key) { return UtilDB::getIcon(QString::fromLatin1(key)); }
    static void setIcon(const char *key, const QString &value) { EXPECT_TRUE(UtilDB::setIcon(QString::fromLatin1(key), value)); }

    template <class Widget = QWidget>
    Widget *child(const char *name) const
    {
        return window->findChild<Widget *>(QString::fromLatin1(name));
    }

    std::shared_ptr<ManualClock> clock;
    std::unique_ptr<MainView> window;
    RefusingPort nowhere;
};
