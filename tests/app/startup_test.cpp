#include "test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <sqlite3.h>

namespace {

struct ClientRun
{
    int exitCode = -1;
    QStringList lines;
};

// Starts the built client with home as its HOME and nothing else pointing elsewhere.
ClientRun startClient(const QString &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR"})
        env.remove(name);
    env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess client;
    client.setProcessEnvironment(env);
    client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    client.start(qEnvironmentVariable("FENMAR_BIN_DIR") + "/fenmar", {});
    ClientRun run;
    if (!client.waitForFinished(30000)) {
        ADD_FAILURE() << "fenmar did not finish: " << client.errorString().toStdString();
        client.kill();
        client.waitForFinished();
        return run;
    }
    run.exitCode = client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
    run.lines = QString::fromUtf8(client.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return run;
}

// The first column of every row of sql, read through a connection of the test's own.
QStringList columnIn(const QString &file, const char *sql)
{
    QStringList names;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
            names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return names;
}

QStringList tablesIn(const QString &file)
{
    return columnIn(file, "select name from sqlite_master where type='table' order by name");
}

bool execIn(const QString &file, const char *sql)
{
    sqlite3 *db = nullptr;
    const bool ok = sqlite3_open(file.toUtf8().constData(), &db) == SQLITE_OK
                    && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

QString freshHome()
{
    const QString home = TestHome::path() + "/client-home";
    EXPECT_TRUE(QDir().mkpath(home));
    return home;
}

} // namespace

TEST(Startup, EmptyHomeGetsTheDatabaseWithEveryTable)
{
    const QString home = freshHome();
    const QString database = home + "/Documents/Fenmar/db/fenmar.dat";

    const ClientRun first = startClient(home);
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.lines, QStringList({"Welcome, Fenmar", "Fenmar Local Cache @ " + database}));
    const QStringList tables = {"contactperson", "icons", "items", "localshare", "localshare_ext",
                                "localshare_log", "remotesharing"};
    EXPECT_EQ(tablesIn(database), tables);

    // A second start keeps what the first one stored.
    ASSERT_TRUE(execIn(database, "insert into icons (key, value) values ('SaveAtDir', '/kept')"));
    const ClientRun second = startClient(home);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.lines, first.lines);
    EXPECT_EQ(tablesIn(database), tables);
    EXPECT_EQ(columnIn(database, "select value from icons"), QStringList({"/kept"}));
}

TEST(Startup, UnopenableDatabaseIsPrintedAndStartGoesOn)
{
    const QString home = freshHome();
    ASSERT_TRUE(QDir().mkpath(home + "/Documents/Fenmar/db/fenmar.dat"));

    const ClientRun run = startClient(home);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_GE(run.lines.size(), 3);
    EXPECT_EQ(run.lines[0], "Welcome, Fenmar");
    EXPECT_TRUE(run.lines[1].startsWith("Fenmar Local Cache @ "));
    EXPECT_EQ(run.lines[2], "Error DB Open!");
}
