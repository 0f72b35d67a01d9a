#include "qstring_print.h"
#include "test_home.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <sqlite3.h>

namespace {

struct ClientRun
{
    bool ended = false;
    QStringList lines;
};

// The client's start-up kills every earlier bridge of this user. So that it can reach no bridge
// another test started, nor any program's port on this machine, the client runs in process and
// network namespaces of its own (and everything in it ends with it). False when this machine does
// not allow them.
bool canIsolate()
{
    QProcess probe;
    probe.start(QStringLiteral("unshare"), {"-Urpfn", "--mount-proc", "--kill-child", "true"});
    return probe.waitForFinished(120'000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

// The folder the client copy runs from: a blank and a letter outside ASCII in its name.
const char *const clientFolderName = "dir with space é";

// A copy of the built client in a folder of its own, without a bridge beside it.
QString clientCopy()
{
    const QString folder = TestHome::path() + u'/' + QString::fromUtf8(clientFolderName);
    EXPECT_TRUE(QDir().mkpath(folder));
    const QString copy = folder + "/fenmar";
    if (!QFile::exists(copy)) {
        EXPECT_TRUE(QFile::copy(qEnvironmentVariable("FENMAR_BIN_DIR") + "/fenmar", copy));
    }
    return copy;
}

// Starts the client with home as its HOME, reads its start-up lines until lastLine has been
// printed, then ends it. The login sheet's once-a-second lines are left out.
ClientRun startClient(const QString &home, const QString &lastLine)
{
    EXPECT_TRUE(QDir().mkpath(home));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR"})
        env.remove(name);
    env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess client;
    client.setProcessEnvironment(env);
    client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    client.start(QStringLiteral("unshare"), {"-Urpfn", "--mount-proc", "--kill-child", clientCopy()});
    ClientRun run;
    QByteArray output;
    // Long enough for a machine that gives the client a small share of a core; a client that
    // works prints its lines long before.
    QDeadlineTimer deadline(120'000);
    while (!deadline.hasExpired() && client.state() != QProcess::NotRunning) {
        client.waitForReadyRead(100);
        output += client.readAllStandardOutput();
        if (output.contains((lastLine + "\n").toUtf8()))
            break;
    }
    run.ended = client.state() == QProcess::NotRunning;
    client.kill();
    client.waitForFinished();
    for (const QString &line : QString::fromUtf8(output).split('\n', Qt::SkipEmptyParts)) {
        if (!line.contains("iLoginTimeCounter"))
            run.lines << line;
    }
    return run;
}

// Runs sql on the database file through a connection of the test's own; the first column of every row.
QStringList sqlIn(const QString &file, const char *sql)
{
    QStringList values;
    sqlite3 *db = nullptr;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) == SQLITE_OK)
        sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return values;
}

const char *const tables = "select name from sqlite_master where type='table' order by name";

} // namespace

class Startup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!canIsolate())
            GTEST_SKIP() << "no process namespace for the client here";
    }
};

TEST_F(Startup, GreetsOpensTheDatabaseThenRestartsTheBridge)
{
    const QString home = TestHome::path() + "/client-home";
    const QString folder = QFileInfo(clientCopy()).absolutePath();
    const QString database = home + "/Documents/Fenmar/db/fenmar.dat";

    // The folder as its file URL spells it; the home's own path needs no escapes.
    ASSERT_EQ(QUrl::toPercentEncoding(TestHome::path(), "/"), TestHome::path().toUtf8());
    const QString spelledFolder = TestHome::path() + "/dir%20with%20space%20%C3%A9";

    // Without a bridge beside it the launch fails, and the next one is on its way.
    const ClientRun first = startClient(home, "Relaunch OstrelBridge in 1000 ms");
    EXPECT_FALSE(first.ended) << "the client keeps running with its window";
    EXPECT_EQ(first.lines, QStringList({"Welcome, Fenmar", "App Run At: " + spelledFolder, "Fenmar Local Cache @ " + database,
                                        "Clearing OstrelBridge...", "---ReCheck Instance false",
                                        "++++++Try To Starting OstrelBridge++++++",
                                        "file://" + spelledFolder + "/OstrelBridge_amd",
                                        "Something went wrong!", "Relaunch OstrelBridge in 1000 ms"}));
    const QStringList made = {"contactperson", "icons", "items", "localshare", "localshare_ext", "localshare_log",
                              "remotesharing"};
    EXPECT_EQ(sqlIn(database, tables), made);

    // A second start keeps what the first one stored (the login sheet stored "isRememberMe").
    sqlIn(database, "insert into icons (key, value) values ('SaveAtDir', '/kept')");
    const ClientRun second = startClient(home, "Relaunch OstrelBridge in 1000 ms");
    EXPECT_EQ(second.lines, first.lines);
    EXPECT_EQ(sqlIn(database, tables), made);
    EXPECT_EQ(sqlIn(database, "select value from icons where key = 'SaveAtDir'"), QStringList({"/kept"}));

    // With a bridge beside it, the bridge is started from the real folder, not from the spelling in
    // the lines: "------OstrelBridge Exited------" follows only a launch that started.
    QFile bridge(folder + "/OstrelBridge_amd");
    ASSERT_TRUE(bridge.open(QIODevice::WriteOnly));
    bridge.write("#!/bin/sh\nexec sleep 30\n");
    bridge.close();
    ASSERT_TRUE(bridge.setPermissions(bridge.permissions() | QFileDevice::ExeOwner));
    const ClientRun third = startClient(home, "------OstrelBridge Exited------");
    EXPECT_EQ(third.lines, QStringList({"Welcome, Fenmar", "App Run At: " + spelledFolder, "Fenmar Local Cache @ " + database,
                                        "Clearing OstrelBridge...", "---ReCheck Instance false",
                                        "++++++Try To Starting OstrelBridge++++++",
                                        "file://" + spelledFolder + "/OstrelBridge_amd",
                                        "------OstrelBridge Exited------"}));
}

TEST_F(Startup, UnopenableDatabaseIsPrintedAndStartGoesOn)
{
    const QString home = TestHome::path() + "/client-home";
    ASSERT_TRUE(QDir().mkpath(home + "/Documents/Fenmar/db/fenmar.dat"));

    const ClientRun run = startClient(home, "Relaunch OstrelBridge in 1000 ms");
    EXPECT_FALSE(run.ended);
    ASSERT_GE(run.lines.size(), 4);
    EXPECT_EQ(run.lines[0], "Welcome, Fenmar");
    EXPECT_TRUE(run.lines[2].startsWith("Fenmar Local Cache @ "));
    EXPECT_EQ(run.lines[3], "unable to open database file");
    // The bridge step still follows.
    EXPECT_GT(run.lines.indexOf("Clearing OstrelBridge..."), 3);
    EXPECT_EQ(run.lines.last(), "Relaunch OstrelBridge in 1000 ms");
}
