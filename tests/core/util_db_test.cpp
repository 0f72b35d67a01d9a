#include "captured_output.h"
#include "test_home.h"
#include "util_db.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include <sys/stat.h>

namespace {

QString databasePath()
{
    return TestHome::path() + "/Documents/Fenmar/db/fenmar.dat";
}

// Reads the file through its own read-only connection, apart from UtilDB's.
QStringList rawColumn(const QString &file, const char *sql)
{
    QStringList values;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        ADD_FAILURE() << "cannot open " << file.toStdString();
        return values;
    }
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW)
            values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    } else {
        ADD_FAILURE() << sqlite3_errmsg(db);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return values;
}

QStringList tableNames(const QString &file)
{
    return rawColumn(file, "select name from sqlite_master where type='table' order by name");
}

// Runs f and gives what it printed on standard output.
std::string printedBy(const std::function<void()> &f)
{
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

class UtilDBTest : public testing::Test
{
protected:
    void SetUp() override { UtilDB::open(); }
    void TearDown() override { UtilDB::close(); }
};

const QStringList allTables = {"contactperson", "icons",          "items",        "localshare",
                               "localshare_ext", "localshare_log", "remotesharing"};

} // namespace

TEST(UtilDBOpen, FirstStartCreatesTheFileWithEveryTableAndIndex)
{
    const std::string printed = printedBy([] { UtilDB::open(); });
    EXPECT_EQ(printed, "Fenmar Local Cache @ " + databasePath().toStdString() + "\n");
    ASSERT_TRUE(UtilDB::isOpen());
    ASSERT_TRUE(QFile::exists(databasePath()));

    EXPECT_EQ(tableNames(databasePath()), allTables);
    const QStringList indexes =
        rawColumn(databasePath(), "select name || ' on ' || tbl_name from sqlite_master "
                                  "where type='index' and sql is not null order by name");
    EXPECT_EQ(indexes, QStringList({"idx_ext_id_acc on localshare_ext", "idx_ext_tag on localshare_ext",
                                    "idx_icons_key on icons", "idx_id_acc on localshare",
                                    "idx_id_ctime on localshare_log", "idx_id_log on localshare_log",
                                    "idx_items_path on items", "idx_tag on localshare"}));
    UtilDB::close();
}

TEST(UtilDBOpen, SecondStartLeavesAnExistingFileAsItIs)
{
    UtilDB::open();
    ASSERT_TRUE(UtilDB::setIcon("SaveAtDir", "/home/me/Downloads"));
    ASSERT_TRUE(UtilDB::exec("insert into remotesharing (id_acc, hostid) values (?, ?)", {7, "h1"}));
    const QStringList schemaBefore = rawColumn(databasePath(), "select sql from sqlite_master order by name");
    UtilDB::close();

    UtilDB::open();
    EXPECT_EQ(rawColumn(databasePath(), "select sql from sqlite_master order by name"), schemaBefore);
    EXPECT_EQ(UtilDB::getIcon("SaveAtDir"), "/home/me/Downloads");
    EXPECT_EQ(UtilDB::getValue("select hostid from remotesharing where id_acc=?", {7}), "h1");
    UtilDB::close();
}

TEST(UtilDBOpen, OnlyTheUserCanReadTheDatabaseAfterAFirstStartAndAfterAnOlderVersionsStart)
{
    const QString folder = QFileInfo(databasePath()).path();
    const auto modeOf = [](const QString &path) {
        struct stat st {};
        EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
        return st.st_mode & 07777;
    };
    // A first start, under the usual umask.
    const mode_t oldMask = ::umask(022);
    UtilDB::open();
    ASSERT_TRUE(UtilDB::setIcon("Login_Password", "s3cret"));
    UtilDB::close();
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(databasePath()), 0600u);

    // What an earlier version left: both open to every local user.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(databasePath()).constData(), 0644), 0);
    UtilDB::open();
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(databasePath()), 0600u);
    EXPECT_EQ(UtilDB::getIcon("Login_Password"), "s3cret") << "tightened, not replaced";
    UtilDB::close();
    ::umask(oldMask);
}

TEST(UtilDBOpen, SchemaRunsOncePerConnection)
{
    UtilDB::open();
    ASSERT_TRUE(UtilDB::exec("drop table contactperson"));
    UtilDB::createTables();
    EXPECT_FALSE(tableNames(databasePath()).contains("contactperson"));

    // A new connection (the next start) creates what is missing.
    UtilDB::close();
    UtilDB::open();
    EXPECT_EQ(tableNames(databasePath()), allTables);
    UtilDB::close();
}

TEST(UtilDBOpen, SchemaStopsAtTheFirstFailingStatement)
{
    const QString file = TestHome::path() + "/broken.dat";
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
        // A view of that name satisfies "create table if not exists", but cannot be indexed.
        ASSERT_EQ(sqlite3_exec(db, "create view items as select 1 as type, 'p' as path", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    const std::string printed = printedBy([&] { EXPECT_TRUE(UtilDB::openAt(file)); });
    EXPECT_NE(printed.find("views may not be indexed"), std::string::npos) << printed;
    EXPECT_EQ(tableNames(file), QStringList({"icons"}));
    UtilDB::close();
}

TEST(UtilDBOpen, UnopenableFileIsPrintedAndTheProgramGoesOn)
{
    // A folder where the file should be.
    ASSERT_TRUE(QDir().mkpath(databasePath()));
    const std::string printed = printedBy([] { UtilDB::open(); });
    EXPECT_NE(printed.find("Fenmar Local Cache @ "), std::string::npos);
    // SQLite's own words for the failure, and nothing more.
    EXPECT_NE(printed.find("\nunable to open database file\n"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("Error DB Open!"), std::string::npos) << printed;
    EXPECT_FALSE(UtilDB::isOpen());
    EXPECT_FALSE(UtilDB::setIcon("SaveAtDir", "/x"));
    EXPECT_EQ(UtilDB::getIcon("SaveAtDir"), "");
}

TEST(UtilDBOpen, AFileWhereTheDatabaseFolderShouldBeIsPrintedWithItsReason)
{
    const QString folder = QFileInfo(databasePath()).path();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(folder).path()));
    QFile inTheWay(folder);
    ASSERT_TRUE(inTheWay.open(QIODevice::WriteOnly));
    inTheWay.close();

    CapturedOutput output;
    UtilDB::open();
    const QStringList lines = output.lines();
    // "Error: " and the system's own words for a file standing in the way, before SQLite says
    // why the open failed.
    const QString reason = QStringLiteral("Error: ") + QString::fromLocal8Bit(std::strerror(EEXIST));
    ASSERT_GE(lines.size(), 3) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], reason);
    EXPECT_EQ(lines[1], "Fenmar Local Cache @ " + databasePath());
    EXPECT_EQ(lines[2], "unable to open database file");
    EXPECT_FALSE(UtilDB::isOpen());
    EXPECT_TRUE(QFileInfo(folder).isFile()) << "the file in the way is left as it is";
}

TEST(UtilDBClosed, EveryOperationFailsCleanly)
{
    UtilDB::close();
    bool workRan = false;
    const std::string printed = printedBy([&] {
        EXPECT_FALSE(UtilDB::delIcon("SaveAtDir"));
        EXPECT_FALSE(UtilDB::setIcon("SaveAtDir", "/x"));
        EXPECT_EQ(UtilDB::getIcon("SaveAtDir"), "");
        EXPECT_EQ(UtilDB::getValue("select 1"), std::nullopt);
        EXPECT_FALSE(UtilDB::isExist("select 1"));
        EXPECT_FALSE(UtilDB::runInTransaction([&] { return workRan = true; }));
    });
    EXPECT_EQ(printed, "");
    EXPECT_FALSE(workRan);

    const DbResult query = UtilDB::query("select 1");
    EXPECT_FALSE(query);
    EXPECT_FALSE(query.error.isEmpty());
    EXPECT_TRUE(query.rows.isEmpty());
    const DbResult exec = UtilDB::exec("delete from icons");
    EXPECT_FALSE(exec);
    EXPECT_EQ(exec.error, query.error);

    EXPECT_EQ(printedBy([] { UtilDB::createTables(); }), "Error DB\n");
}

TEST_F(UtilDBTest, SettingsRoundTripKeepsQuotesAndUnicode)
{
    const QStringList values = {"/Users/o'brien/My 'quoted' folder", "/home/me/文件夹/ñandú/😀", "",
                                "'); drop table icons; --", "line\nbreak"};
    for (const QString &value : values) {
        ASSERT_TRUE(UtilDB::setIcon("SaveAtDir", value));
        EXPECT_EQ(UtilDB::getIcon("SaveAtDir"), value);
    }
    ASSERT_TRUE(UtilDB::setIcon("it's a key", "v"));
    EXPECT_EQ(UtilDB::getIcon("it's a key"), "v");
    EXPECT_EQ(UtilDB::getIcon("x' or '1'='1"), "");
    EXPECT_EQ(UtilDB::getIcon("Login_Email"), "");
    EXPECT_TRUE(tableNames(databasePath()).contains("icons"));
}

TEST_F(UtilDBTest, StoringAKeyTwiceLeavesOneRowWithTheSecondValue)
{
    ASSERT_TRUE(UtilDB::setIcon("SaveAtDir", "/first"));
    ASSERT_TRUE(UtilDB::setIcon("SaveAtDir", "/second"));
    EXPECT_EQ(rawColumn(databasePath(), "select value from icons where key='SaveAtDir'"), QStringList({"/second"}));
}

TEST_F(UtilDBTest, KeyDifferingOnlyInCaseIsRefusedAndTheOldRowStays)
{
    ASSERT_TRUE(UtilDB::setIcon("SaveAtDir", "/kept"));
    bool stored = true;
    const std::string printed = printedBy([&] { stored = UtilDB::setIcon("saveatdir", "/other"); });
    EXPECT_FALSE(stored);
    EXPECT_NE(printed.find("UNIQUE constraint failed"), std::string::npos) << printed;
    EXPECT_EQ(UtilDB::getIcon("SaveAtDir"), "/kept");
    EXPECT_EQ(UtilDB::getIcon("saveatdir"), "");
}

TEST_F(UtilDBTest, FailedInsertKeepsTheOldValue)
{
    ASSERT_TRUE(UtilDB::setIcon("Login_Password", "old secret"));
    ASSERT_TRUE(UtilDB::exec("create trigger refuse before insert on icons when new.value = 'refused' "
                             "begin select raise(abort, 'insert refused'); end"));
    bool stored = true;
    const std::string printed = printedBy([&] { stored = UtilDB::setIcon("Login_Password", "refused"); });
    EXPECT_FALSE(stored);
    EXPECT_NE(printed.find("insert refused"), std::string::npos) << printed;
    EXPECT_EQ(UtilDB::getIcon("Login_Password"), "old secret");

    // No transaction is left open: the next write reaches the file.
    ASSERT_TRUE(UtilDB::setIcon("Login_Password", "new secret"));
    EXPECT_EQ(rawColumn(databasePath(), "select value from icons where key='Login_Password'"),
              QStringList({"new secret"}));
}

TEST_F(UtilDBTest, GetValueAndIsExistOnRowsAndFailures)
{
    ASSERT_TRUE(UtilDB::exec("insert into localshare (id_acc, tag, path, isdir) values (?, ?, ?, ?)",
                             {qint64(42), "AB12", QVariant(), true}));
    ASSERT_TRUE(UtilDB::exec("insert into localshare (id_acc, tag, path, isdir) values (?, ?, ?, ?)",
                             {qint64(42), "CD34", "/b", false}));

    EXPECT_EQ(UtilDB::getValue("select tag from localshare where id_acc=? order by tag", {42}), "AB12");
    EXPECT_EQ(UtilDB::getValue("select isdir from localshare where tag=?", {"AB12"}), "1");
    EXPECT_EQ(UtilDB::getValue("select tag from localshare where id_acc=?", {43}), std::nullopt);
    // A NULL first column counts as no row.
    EXPECT_EQ(UtilDB::getValue("select path from localshare where tag=?", {"AB12"}), std::nullopt);
    EXPECT_TRUE(UtilDB::isExist("select path from localshare where tag=?", {"AB12"}));
    EXPECT_FALSE(UtilDB::isExist("select tag from localshare where UPPER(tag)=UPPER(?)", {"ab12' or '1'='1"}));
    EXPECT_TRUE(UtilDB::isExist("select tag from localshare where UPPER(tag)=UPPER(?)", {"cd34"}));

    std::optional<QString> value = QString("untouched");
    bool exists = true;
    std::string printed = printedBy([&] { value = UtilDB::getValue("select name from nowhere"); });
    EXPECT_EQ(value, std::nullopt);
    EXPECT_NE(printed.find("no such table: nowhere"), std::string::npos) << printed;
    // Prepared fine, failing only when stepped.
    printed = printedBy([&] { value = UtilDB::getValue("select abs(-9223372036854775807 - 1)"); });
    EXPECT_EQ(value, std::nullopt);
    EXPECT_EQ(printed, "integer overflow\n");
    printed = printedBy([&] { exists = UtilDB::isExist("selec tag from localshare"); });
    EXPECT_FALSE(exists);
    EXPECT_NE(printed.find("syntax error"), std::string::npos) << printed;
    // Values that do not fit the statement's placeholders are refused, not silently dropped.
    printed = printedBy([&] { exists = UtilDB::isExist("select tag from localshare where tag=?", {}); });
    EXPECT_FALSE(exists);
    EXPECT_FALSE(printed.empty());
}

TEST_F(UtilDBTest, QueryReadsEveryRowAsTextWithBoundValues)
{
    const DbResult insert = UtilDB::exec(
        "insert into localshare (id_acc, tag, path, password, isenabled, isupload, ctime) values (?, ?, ?, ?, ?, ?, ?)",
        {qint64(9007199254740993), "T1", "/a 'b'/文件", QVariant(), true, false, 1.5});
    ASSERT_TRUE(insert) << insert.error.toStdString();
    ASSERT_TRUE(UtilDB::exec("insert into localshare (id_acc, tag) values (?, ?)", {1, "T2"}));

    const DbResult rows = UtilDB::query(
        "select id_acc, tag, path, password, isenabled, isupload, ctime from localshare order by tag");
    ASSERT_TRUE(rows) << rows.error.toStdString();
    ASSERT_EQ(rows.rows.size(), 2);
    EXPECT_EQ(rows.rows[0], QStringList({"9007199254740993", "T1", "/a 'b'/文件", "", "1", "0", "1.5"}));
    EXPECT_EQ(rows.rows[1], QStringList({"1", "T2", "", "", "", "", ""}));

    const DbResult none = UtilDB::query("select tag from localshare where id_acc=?", {5});
    EXPECT_TRUE(none);
    EXPECT_TRUE(none.rows.isEmpty());
}

TEST_F(UtilDBTest, StatementsFailAsValuesAndNeverRunASecondStatement)
{
    const DbResult bad = UtilDB::query("select * from missing_table");
    EXPECT_FALSE(bad);
    EXPECT_EQ(bad.error, "no such table: missing_table");

    const DbResult two = UtilDB::exec("insert into icons (key, value) values ('a', 'b'); drop table icons");
    EXPECT_FALSE(two);
    EXPECT_EQ(UtilDB::getIcon("a"), "");
    EXPECT_TRUE(tableNames(databasePath()).contains("icons"));

    const DbResult tooMany = UtilDB::exec("delete from icons where key=?", {"a", "b"});
    EXPECT_FALSE(tooMany);
    EXPECT_FALSE(tooMany.error.isEmpty());
}

TEST_F(UtilDBTest, TransactionKeepsOrUndoesEverythingTogether)
{
    const auto insertHosts = [] {
        return UtilDB::exec("insert into remotesharing (id_acc, hostid) values (1, 'h1')").ok
               && UtilDB::exec("insert into remotesharing (id_acc, hostid) values (1, 'h2')").ok;
    };
    EXPECT_FALSE(UtilDB::runInTransaction([&] { return insertHosts() && false; }));
    EXPECT_FALSE(UtilDB::isExist("select 1 from remotesharing"));

    // Nested: an inner rollback leaves the outer work in place.
    EXPECT_TRUE(UtilDB::runInTransaction([&] {
        const bool inner = UtilDB::runInTransaction([] {
            UtilDB::exec("insert into remotesharing (id_acc, hostid) values (1, 'inner')");
            return false;
        });
        return !inner && insertHosts();
    }));
    EXPECT_EQ(rawColumn(databasePath(), "select hostid from remotesharing order by hostid"),
              QStringList({"h1", "h2"}));
}
